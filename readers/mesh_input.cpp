// Opening an input: its source, the decision of its kind, a gzip layer, its reader.
#include "readers/mesh_input.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/system.h"
#include "readers/binary_stl.h"
#include "readers/format_readers.h"

namespace trimora {

bool MeshInput::open(const InputRequest& request) {
    file_.count_bytes_in(request.bytes_read);
    ReaderOptions options;
    options.line_block_size = request.line_block_size;
    if (request.standard) {
        // Closed when the tool started: only the null device stands in its place.
        if (standard_stream_closed_at_start(stdin)) {
            errno = EBADF;  // the reason a caller may give
            return false;
        }
        file_.attach(stdin, nullptr, 0);
    } else {
        if (!file_.open(request.path)) return false;
        // Only a plain file has a size to tell binary STL by; a device or a
        // pipe is told by its first bytes.
        std::error_code error;
        const std::filesystem::path path = path_from_utf8(request.path);
        if (std::filesystem::is_regular_file(path, error)) {
            const std::uintmax_t size = std::filesystem::file_size(path, error);
            if (!error) options.file_size = size;
        }
    }
    options.legacy = request.legacy;
    const bool by_content = !request.legacy;
    kind_ = decide_input_kind({request.name, request.standard, request.from,
                               by_content ? file_start_.look_ahead(2) : std::string_view(), by_content});
    LookaheadSource* data = &file_start_;
    if (kind_.gzip) {
        gzip_ = std::make_unique<GzipSource>(file_start_);
        data_start_ = std::make_unique<LookaheadSource>(*gzip_);
        data = data_start_.get();
        options.file_size.reset();
    }
    // Text in UTF-16 would read as words cut by NUL bytes: it is refused in
    // one line, unless the file's size makes it binary STL.
    if (by_content && starts_with_utf16_mark(data->look_ahead(2))) {
        const std::string_view first = data->look_ahead(kBinaryPrefixSize);
        const bool binary_stl = kind_.format == MeshFormat::kStl && options.file_size &&
                                stl_is_binary(reinterpret_cast<const unsigned char*>(first.data()), first.size(),
                                              options.file_size);
        if (!binary_stl) {
            reader_ = make_utf16_refusal(*data, request.name, format_word(kind_.format));
            return true;
        }
    }
    reader_ = make_mesh_reader(kind_.format, *data, request.name, options);
    return true;
}

}  // namespace trimora

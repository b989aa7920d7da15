// Opening an input: its source, the decision of its kind, a gzip layer, its reader.
#include "readers/mesh_input.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/system.h"

namespace trimora {

bool MeshInput::open(const InputRequest& request) {
    file_.count_bytes_in(request.bytes_read);
    ReaderOptions options;
    options.line_block_size = request.line_block_size;
    if (request.standard) {
        // Closed when the tool started: only the null device stands in its place.
        if (standard_stream_closed_at_start(stdin)) return false;
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
    kind_ = decide_input_kind({request.name, request.standard, request.from});
    ByteSource* source = &file_;
    if (kind_.gzip) {
        gzip_ = std::make_unique<GzipSource>(file_);
        source = gzip_.get();
        options.file_size.reset();
    }
    reader_ = make_mesh_reader(kind_.format, *source, request.name, options);
    return true;
}

}  // namespace trimora

// The reader of each format, the choice of ASCII or binary STL, and the reader that refuses an input.
#include "readers/mesh_reader.h"

#include <string>
#include <utility>

#include "platform/byte_source.h"
#include "readers/binary_stl.h"
#include "readers/format_readers.h"
#include "readers/line_blocks.h"

namespace trimora {

namespace {

class RefusingReader final : public MeshReader {
public:
    RefusingReader(ByteSource& source, std::string_view name, const char* format_name, std::string message)
        : MeshReader(source, name, format_name), message_(std::move(message)) {}

    ReadStep next() override {
        if (done_) return ReadStep::kEnd;
        done_ = true;
        return report(std::move(message_));
    }

private:
    std::string message_;
    bool done_ = false;
};

std::unique_ptr<MeshReader> make_stl_reader(ByteSource& source, std::string_view name, const ReaderOptions& options) {
    // The first bytes tell the two apart; the chosen reader starts with them.
    unsigned char first[kBinaryPrefixSize];
    std::size_t size = 0;
    for (std::size_t got = 1; size < sizeof first && got > 0; size += got) {
        got = source.read(first + size, sizeof first - size);
    }
    // A file of the wrong size for its count is still binary when its first
    // bytes are no text; the reader then says how the size is wrong.
    if (stl_is_binary(first, size, options.file_size) ||
        (!options.legacy && options.file_size && looks_like_binary_stl(first, size))) {
        return make_binary_stl_reader(source, name, first, options);
    }
    return make_ascii_stl_reader(source, name, first, size,
                                 options.line_block_size > 0 ? options.line_block_size : kLineBlockSize);
}

}  // namespace

std::unique_ptr<MeshReader> make_mesh_reader(MeshFormat format, ByteSource& source, std::string_view name,
                                             const ReaderOptions& options) {
    switch (format) {
        case MeshFormat::kStl: return make_stl_reader(source, name, options);
        case MeshFormat::kObj: return make_obj_reader(source, name);
        case MeshFormat::kPly: return make_ply_reader(source, name);
        case MeshFormat::kOff: return make_off_reader(source, name);
        case MeshFormat::k3mf: return make_3mf_reader(source, name);
        case MeshFormat::kKpf: return make_kpf_reader(source, name);
    }
    return make_stl_reader(source, name, options);
}

std::unique_ptr<MeshReader> make_refusing_reader(ByteSource& source, std::string_view name,
                                                 const char* format_name, std::string message) {
    return std::make_unique<RefusingReader>(source, name, format_name, std::move(message));
}

}  // namespace trimora

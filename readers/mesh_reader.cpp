// The reader of each format, and the choice of ASCII or binary STL.
#include "readers/mesh_reader.h"

#include "platform/byte_source.h"
#include "readers/binary_stl.h"
#include "readers/format_readers.h"
#include "readers/line_blocks.h"

namespace trimora {

namespace {

std::unique_ptr<MeshReader> make_stl_reader(ByteSource& source, std::string_view name, const ReaderOptions& options) {
    // The first bytes tell the two apart; the chosen reader starts with them.
    unsigned char first[kBinaryPrefixSize];
    std::size_t size = 0;
    for (std::size_t got = 1; size < sizeof first && got > 0; size += got) {
        got = source.read(first + size, sizeof first - size);
    }
    if (stl_is_binary(first, size, options.file_size)) {
        return make_binary_stl_reader(source, name, first, !options.file_size);
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

}  // namespace trimora

// Opening a mesh file with its gzip layer and reader.
#include "readers/mesh_input.h"

namespace trimora {

bool MeshInput::open(const char* path, InputKind kind, std::string_view name) {
    if (!file_.open(path)) return false;
    make_reader(kind, name);
    return true;
}

void MeshInput::attach(std::FILE* stream, const char* first, std::size_t size, InputKind kind,
                       std::string_view name) {
    file_.attach(stream, first, size);
    make_reader(kind, name);
}

void MeshInput::make_reader(InputKind kind, std::string_view name) {
    ByteSource* source = &file_;
    if (kind.gzip) {
        gzip_ = std::make_unique<GzipSource>(file_);
        source = gzip_.get();
    }
    reader_ = make_mesh_reader(kind.format, *source, name);
}

}  // namespace trimora

// The readers of each format, made through make_mesh_reader.
#pragma once

#include <memory>
#include <string_view>

#include "readers/mesh_reader.h"

namespace trimora {

std::unique_ptr<MeshReader> make_obj_reader(ByteSource& source, std::string_view name);
std::unique_ptr<MeshReader> make_ply_reader(ByteSource& source, std::string_view name);
std::unique_ptr<MeshReader> make_off_reader(ByteSource& source, std::string_view name);
std::unique_ptr<MeshReader> make_3mf_reader(ByteSource& source, std::string_view name);
std::unique_ptr<MeshReader> make_kpf_reader(ByteSource& source, std::string_view name);

}  // namespace trimora

// The readers of each format, made through make_mesh_reader.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "readers/mesh_reader.h"

namespace trimora {

std::unique_ptr<MeshReader> make_obj_reader(ByteSource& source, std::string_view name);
std::unique_ptr<MeshReader> make_ply_reader(ByteSource& source, std::string_view name);
std::unique_ptr<MeshReader> make_off_reader(ByteSource& source, std::string_view name);
std::unique_ptr<MeshReader> make_3mf_reader(ByteSource& source, std::string_view name);
std::unique_ptr<MeshReader> make_kpf_reader(ByteSource& source, std::string_view name);

// The STL readers, after the first size bytes at first were read from the
// source to tell which: ASCII STL read in blocks of block_size bytes, and
// binary STL with its 84-byte prefix at prefix, which looks at what follows
// its records when the input's size was not known.
std::unique_ptr<MeshReader> make_ascii_stl_reader(ByteSource& source, std::string_view name,
                                                  const unsigned char* first, std::size_t size, int block_size);
std::unique_ptr<MeshReader> make_binary_stl_reader(ByteSource& source, std::string_view name,
                                                   const unsigned char* prefix, bool check_data_after);

}  // namespace trimora

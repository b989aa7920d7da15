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
// binary STL with its 84-byte prefix at prefix. The binary reader checks its
// records against the file's size when it is known (file_size), and else
// looks at what follows them.
std::unique_ptr<MeshReader> make_ascii_stl_reader(ByteSource& source, std::string_view name,
                                                  const unsigned char* first, std::size_t size, int block_size);
std::unique_ptr<MeshReader> make_binary_stl_reader(ByteSource& source, std::string_view name,
                                                   const unsigned char* prefix, const ReaderOptions& options);

// A reader that reads nothing of text in UTF-16: it gives the one problem
// that says so and ends without reading to the end.
std::unique_ptr<MeshReader> make_utf16_refusal(ByteSource& source, std::string_view name, const char* format_name);

}  // namespace trimora

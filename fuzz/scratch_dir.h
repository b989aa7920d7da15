// A private temporary folder for the checks that need real files, removed at process exit.
#pragma once

#include <string>
#include <string_view>

namespace trimora::fuzz {

// The folder's path; it holds no '.', so that a name built on it keeps its
// own extension. Created on first use.
const std::string& scratch_dir();

// A folder of that name inside it, for one check alone; created on first use.
std::string scratch_folder(const char* name);

// Writes the bytes, the first part and then the second, to the file,
// replacing it; false when that failed.
bool write_bytes(const std::string& path, std::string_view first, std::string_view second = {});

// The whole file, or the empty text when it cannot be read.
std::string read_bytes(const std::string& path);

}  // namespace trimora::fuzz

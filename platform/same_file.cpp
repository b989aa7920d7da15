// Path identity through the file system's own notion of equivalence (device and inode).
#include "platform/same_file.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/system.h"

namespace trimora {

bool same_file(const char* first, const char* second) {
    if (std::strcmp(first, second) == 0) return true;
    std::error_code error;
    // A path that does not exist yet cannot be the other file; the error then
    // only says so.
    return std::filesystem::equivalent(path_from_utf8(first), path_from_utf8(second), error) && !error;
}

}  // namespace trimora

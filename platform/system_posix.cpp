// The POSIX side of the system layer: names are bytes, streams are already binary.
#include "platform/system.h"

#include <sys/resource.h>
#include <unistd.h>

#include <system_error>

namespace trimora {

std::filesystem::path path_from_utf8(const char* name) { return std::filesystem::path(name); }

std::string utf8_from_path(const std::filesystem::path& path) { return path.string(); }

std::FILE* open_file(const char* name, const char* mode) { return std::fopen(name, mode); }

std::vector<std::string> command_line_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void prepare_console() {}

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

std::FILE* open_scratch_file() { return std::tmpfile(); }

int open_file_limit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 20;
    return limit.rlim_cur > static_cast<rlim_t>(1 << 20) ? 1 << 20 : static_cast<int>(limit.rlim_cur);
}

bool local_time(std::time_t moment, std::tm& fields) {
    return localtime_r(&moment, &fields) != nullptr;
}

bool shell_expands_wildcards() { return true; }

bool same_existing_file(const char* first, const char* second) {
    // Device and inode; a path that does not exist yet cannot be the other file.
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}

}  // namespace trimora

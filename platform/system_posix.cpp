// The POSIX side of the system layer: names are bytes, streams are already binary.
#include "platform/system.h"

#include <limits.h>
#include <sys/stat.h>
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

bool local_time(std::time_t moment, std::tm& fields) {
    return localtime_r(&moment, &fields) != nullptr;
}

bool shell_expands_wildcards() { return true; }

namespace {

FileId id_of_status(const struct stat& status) {
    if (!S_ISREG(status.st_mode)) return {};
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino), true};
}

// The path a chain of symbolic links at name ends in, whether or not that exists: each link's
// text is read relative to the folder of the link. The name itself when it is no link, or when
// the chain is too long to follow.
std::string final_link_target(const char* name) {
    std::string path = name;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        // Some file systems (/proc) give links no size.
        const std::size_t room = status.st_size > 0 ? static_cast<std::size_t>(status.st_size) + 1 : PATH_MAX;
        std::string target(room, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return path;
        target.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    return name;
}

}  // namespace

FileId file_id_of(const char* name) {
    struct stat status;
    return stat(name, &status) == 0 ? id_of_status(status) : FileId{};
}

FileId file_id_of_stream(std::FILE* stream) {
    struct stat status;
    return fstat(fileno(stream), &status) == 0 ? id_of_status(status) : FileId{};
}

std::string file_name_key(const char* name) {
    // Names are bytes and case counts: the resolved path is the key.
    const std::filesystem::path path(final_link_target(name));
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    if (!error) return canonical.string();
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? path : absolute).lexically_normal().string();
}

}  // namespace trimora

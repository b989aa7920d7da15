// A private temporary folder for the checks that need real files.
#include "fuzz/scratch_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace trimora::fuzz {

namespace {

class ScratchDir {
public:
    ScratchDir() {
        std::error_code error;
        std::string base = std::filesystem::temp_directory_path(error).string();
        // A '.' anywhere in the folder would cut the names built on it.
        if (error || base.find('.') != std::string::npos || base.size() > 60) base = "/tmp";
        // A fresh name of its own, made the same way on every system.
        std::random_device entropy;
        for (int attempt = 0;; ++attempt) {
            path_ = base + "/trimora-fuzz-" + std::to_string(entropy());
            if (std::filesystem::create_directory(path_, error)) break;
            if (attempt == 100) {
                std::fprintf(stderr, "cannot make a scratch folder in %s\n", base.c_str());
                std::abort();
            }
        }
    }
    ~ScratchDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

const std::string& scratch_dir() {
    static const ScratchDir dir;
    return dir.path();
}

std::string scratch_folder(const char* name) {
    std::string path = scratch_dir() + "/" + name;
    std::error_code error;
    std::filesystem::create_directory(path, error);
    return path;
}

bool write_bytes(const std::string& path, std::string_view first, std::string_view second) {
    // A new file rather than a truncated one: a file system may write a
    // truncated file's blocks out at once, which would slow every run.
    std::error_code error;
    std::filesystem::remove(path, error);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    // An empty view may hold a null pointer, which fwrite must not be given.
    auto put = [file](std::string_view part) {
        return part.empty() || std::fwrite(part.data(), 1, part.size(), file) == part.size();
    };
    const bool written = put(first) && put(second);
    return std::fclose(file) == 0 && written;
}

std::string read_bytes(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char block[65536];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, got);
    // A file only read from has nothing left to lose at its close.
    static_cast<void>(std::fclose(file));
    return bytes;
}

}  // namespace trimora::fuzz

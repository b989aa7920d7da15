// Byte sources over files, streams and memory.
#include "platform/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/system.h"

namespace trimora {

FileByteSource::~FileByteSource() {
    // A stream that was only read from has nothing to report at its close.
    if (stream_ != nullptr && owns_stream_) static_cast<void>(std::fclose(stream_));
}

bool FileByteSource::open(const char* path) {
    // A directory can be opened for reading on some systems, but holds no data.
    std::error_code error;
    if (std::filesystem::is_directory(path_from_utf8(path), error)) {
        errno = EISDIR;  // the reason a caller may give
        return false;
    }
    stream_ = open_file(path, "rb");
    owns_stream_ = true;
    return stream_ != nullptr;
}

void FileByteSource::attach(std::FILE* stream, const char* first, std::size_t size) {
    stream_ = stream;
    owns_stream_ = false;
    first_.assign(first, size);
    first_pos_ = 0;
}

std::size_t FileByteSource::read(void* buffer, std::size_t n) {
    if (ended() || failure() != SourceFailure::kNone) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    if (first_pos_ < first_.size()) {
        done = std::min(n, first_.size() - first_pos_);
        std::memcpy(out, first_.data() + first_pos_, done);
        first_pos_ += done;
    }
    if (done == n) return done;
    if (stream_ == nullptr) {
        set_ended();
        return done;
    }
    const std::size_t got = std::fread(out + done, 1, n - done, stream_);
    if (bytes_read_ != nullptr) bytes_read_->fetch_add(got, std::memory_order_relaxed);
    done += got;
    if (done < n) {
        if (std::ferror(stream_) != 0) {
            set_failure(SourceFailure::kReadError);
        } else {
            set_ended();
        }
    }
    return done;
}

std::optional<std::uint64_t> FileByteSource::known_size() const {
    if (ended() || failure() != SourceFailure::kNone) return 0;
    const std::uint64_t held = first_.size() - first_pos_;
    if (stream_ == nullptr) return held;
    const std::optional<std::uint64_t> left = file_bytes_left(stream_);
    if (!left) return std::nullopt;
    return held + *left;
}

std::size_t MemoryByteSource::read(void* buffer, std::size_t n) {
    const std::size_t done = std::min(n, size_ - pos_);
    if (done > 0) std::memcpy(buffer, data_ + pos_, done);
    pos_ += done;
    if (done < n) set_ended();
    return done;
}

}  // namespace trimora

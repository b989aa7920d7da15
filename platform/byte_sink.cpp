// Writing bytes to a stream, with failures told to the caller.
#include "platform/byte_sink.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/system.h"

namespace trimora {

namespace {

// The errno of the first failed write to standard output and to standard error.
std::atomic<int> standard_output_error{0};
std::atomic<int> standard_error_error{0};

std::atomic<int>* error_of(std::FILE* stream) {
    if (stream == stdout) return &standard_output_error;
    if (stream == stderr) return &standard_error_error;
    return nullptr;
}

void note_failure(std::FILE* stream) {
    const int error = last_write_error();
    std::atomic<int>* noted = error_of(stream);
    int none = 0;
    if (noted != nullptr && error != 0) noted->compare_exchange_strong(none, error);
}

}  // namespace

bool StreamSink::write(const char* data, std::size_t size) {
    if (size == 0 || std::fwrite(data, 1, size, stream_) == size) return true;
    note_failure(stream_);
    return false;
}

bool StreamSink::flush() {
    if (std::fflush(stream_) == 0) return true;
    note_failure(stream_);
    return false;
}

std::string write_problem(std::FILE* stream) {
    if (standard_stream_closed_at_start(stream)) return std::strerror(EBADF);
    if (std::fflush(stream) != 0) note_failure(stream);
    if (!std::ferror(stream)) return {};
    const std::atomic<int>* noted = error_of(stream);
    const int error = noted != nullptr ? noted->load() : 0;
    // A write that did not go through a sink left no reason behind.
    return error != 0 ? std::strerror(error) : "a write failed";
}

}  // namespace trimora

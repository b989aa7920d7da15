// Text-mode line reading: CR LF as LF, 0x1A as the end, lines in pieces of at most 127 characters.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

namespace trimora {

// Room for one piece of a line: 127 characters and the terminating NUL.
inline constexpr int kLineBufferSize = 128;

// A file read in text mode, the same way on every platform: the file is
// opened in binary mode and the translation is done here. A CR directly
// followed by LF is read as LF, any other CR stays; the first byte 0x1A ends
// the input for good.
class TextInput {
public:
    TextInput() = default;
    ~TextInput();
    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;

    // Opens a file for reading; false when it cannot be opened or is a directory.
    bool open(const char* path);
    // Reads from an already open stream, which close() leaves open, starting
    // with the size bytes at first that were read from it before.
    void attach(std::FILE* stream, const char* first, int size);
    void close();
    // Adds every byte read from the stream to the counter (null: none), so
    // that another thread can show how far the input has come.
    void count_bytes_in(std::atomic<std::uint64_t>* counter) { bytes_read_ = counter; }

    // Reads the next piece of a line into line (kLineBufferSize characters),
    // as a line reader with a 128-character buffer gives it: at most 127
    // characters, ending after the first LF, NUL-terminated. A NUL byte in the
    // input is copied like any other byte, so it ends the piece's text early.
    // Returns false, with nothing read, at the end of the input or on a read
    // error.
    bool read_line(char* line);
    // True once a read has failed: the input stopped before its end.
    bool failed() const { return failed_; }

private:
    // Moves the unread bytes to the front and reads more behind them; false
    // when no byte was added.
    bool refill();
    // Reads a whole ordinary line straight from the buffer; false, with
    // nothing read, when the line needs the byte-by-byte reading.
    bool read_plain_line(char* line);

    static constexpr int kBufferSize = 1 << 18;
    std::FILE* stream_ = nullptr;
    bool owns_stream_ = false;
    std::atomic<std::uint64_t>* bytes_read_ = nullptr;
    bool at_end_ = false;
    bool failed_ = false;
    int pos_ = 0;
    int end_ = 0;
    char buffer_[kBufferSize];
};

}  // namespace trimora

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
class ByteSource;

class TextInput {
public:
    TextInput() = default;
    ~TextInput();
    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;

    // Opens a file for reading; false when it cannot be opened or is a directory.
    bool open(const char* path);
    // Reads from an already open stream, which close() leaves open, starting
    // with the size bytes at first that were read from it before; with a null
    // stream, reads those bytes only (at most the buffer's size).
    void attach(std::FILE* stream, const char* first, int size);
    // Reads a byte source (a decompressed stream), which close() leaves
    // alone, starting with the size bytes at first that were read from it
    // before. A failure of the source is a failed read.
    void attach(ByteSource& source, const char* first, int size);
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
    // True once the end byte was read: nothing after it is ever read.
    bool met_end_byte() const { return met_end_byte_; }
    // True unless the last piece read stopped inside a line (it had 127
    // characters, or the input ended without a line end).
    bool at_line_start() const { return at_line_start_; }

    // Copies the untranslated bytes of whole lines, at most capacity of them
    // and ending with an LF, to block; returns their count, or 0 when no LF
    // comes within capacity bytes or before the end of the input. The lines
    // must be read from the block as this reader would read them
    // (measure_plain_line, and this reader's rules for what that does not take).
    int take_block(char* block, int capacity);

private:
    // Starts reading the stream from its first byte, with nothing buffered.
    void start_reading(std::FILE* stream, bool owns_stream);
    // Moves the unread bytes to the front and reads more behind them; false
    // when no byte was added.
    bool refill();

    static constexpr int kBufferSize = 1 << 18;
    std::FILE* stream_ = nullptr;
    ByteSource* source_ = nullptr;  // read instead of the stream when set
    bool owns_stream_ = false;
    std::atomic<std::uint64_t>* bytes_read_ = nullptr;
    bool at_end_ = false;
    bool failed_ = false;
    bool at_line_start_ = true;
    bool met_end_byte_ = false;
    int pos_ = 0;
    int end_ = 0;
    char buffer_[kBufferSize];
};

// Measures the whole ordinary line at the start of the available bytes: at
// most 127 characters ended by LF or CR LF, with no other CR and no 0x1A.
// Returns the number of bytes it takes, with length set to the bytes of its
// text (before the CR LF or LF), or 0 when the line needs the byte-by-byte
// reading.
int measure_plain_line(const char* start, int available, int& length);

}  // namespace trimora

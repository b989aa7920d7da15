// Text-mode line reading over a large binary read buffer.
#include "platform/text_input.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace trimora {

namespace {

constexpr char kEndOfText = 0x1A;

// The bytes that end a plain line or need the careful reading.
struct CareBytes {
    bool bytes[256] = {};
    constexpr CareBytes() {
        bytes[static_cast<unsigned char>('\n')] = true;
        bytes[static_cast<unsigned char>('\r')] = true;
        bytes[static_cast<unsigned char>(kEndOfText)] = true;
    }
};
constexpr CareBytes kNeedsCare;

}  // namespace

TextInput::~TextInput() { close(); }

bool TextInput::open(const char* path) {
    close();
    // A directory can be opened for reading on some systems, but holds no text.
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return false;
    stream_ = std::fopen(path, "rb");
    at_end_ = stream_ == nullptr;
    pos_ = 0;
    end_ = 0;
    return stream_ != nullptr;
}

void TextInput::close() {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
    at_end_ = true;
}

bool TextInput::refill() {
    if (at_end_ || stream_ == nullptr) return false;
    const int rest = end_ - pos_;
    if (rest > 0 && pos_ > 0) std::memmove(buffer_, buffer_ + pos_, static_cast<std::size_t>(rest));
    pos_ = 0;
    end_ = rest;
    const std::size_t got =
        std::fread(buffer_ + end_, 1, static_cast<std::size_t>(kBufferSize - end_), stream_);
    end_ += static_cast<int>(got);
    if (got == 0) at_end_ = true;
    return got > 0;
}

bool TextInput::read_line(char* line) {
    if (pos_ < end_ && read_plain_line(line)) return true;
    int n = 0;
    while (n < kLineBufferSize - 1) {
        if (pos_ == end_ && !refill()) break;
        char c = buffer_[pos_];
        if (c == kEndOfText) {
            // Nothing after it is ever read.
            at_end_ = true;
            pos_ = end_ = 0;
            break;
        }
        if (c == '\r') {
            if (pos_ + 1 == end_) refill();
            if (pos_ + 1 < end_ && buffer_[pos_ + 1] == '\n') {
                ++pos_;
                c = '\n';
            }
        }
        ++pos_;
        line[n++] = c;
        if (c == '\n') break;
    }
    line[n] = '\0';
    return n > 0;
}

bool TextInput::read_plain_line(char* line) {
    // A whole line of at most 127 characters in the buffer, ended by LF or
    // CR LF, with no other CR and no end byte in it: the common case, copied
    // in one pass that stops only at the three bytes that need care.
    const int window = end_ - pos_ < kLineBufferSize ? end_ - pos_ : kLineBufferSize;
    const char* start = buffer_ + pos_;
    int n = 0;
    while (n < window && !kNeedsCare.bytes[static_cast<unsigned char>(start[n])]) {
        line[n] = start[n];
        ++n;
    }
    if (n == window) return false;
    int raw = n + 1;
    if (start[n] == '\r') {
        if (n + 1 == window || start[n + 1] != '\n') return false;
        ++raw;
    } else if (start[n] != '\n') {
        return false;
    }
    if (n + 1 > kLineBufferSize - 1) return false;
    line[n] = '\n';
    line[n + 1] = '\0';
    pos_ += raw;
    return true;
}

}  // namespace trimora

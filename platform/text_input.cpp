// Text-mode line reading over a large binary read buffer.
#include "platform/text_input.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/byte_source.h"
#include "platform/system.h"

namespace trimora {

namespace {

constexpr char kEndOfText = 0x1A;

// Whether any of the n bytes at text is below 0x1B, the range that holds CR
// and the end byte; eight bytes at a time, as most lines have none.
bool has_low_byte(const char* text, int n) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, sizeof word);
        // A byte below 0x1B borrows in the subtraction and sets its high bit,
        // which a byte of 0x80 or more would set too: those are checked below.
        if (((word - kOnes * 0x1B) & ~word & kHighBits) != 0) return true;
    }
    for (; i < n; ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x1B) return true;
    }
    return false;
}

}  // namespace

TextInput::~TextInput() { close(); }

bool TextInput::open(const char* path) {
    close();
    // A directory can be opened for reading on some systems, but holds no text.
    std::error_code error;
    if (std::filesystem::is_directory(path_from_utf8(path), error)) return false;
    start_reading(open_file(path, "rb"), true);
    at_end_ = stream_ == nullptr;
    return stream_ != nullptr;
}

void TextInput::attach(std::FILE* stream, const char* first, int size) {
    close();
    start_reading(stream, false);
    end_ = size < kBufferSize ? size : kBufferSize;
    if (end_ > 0) std::memcpy(buffer_, first, static_cast<std::size_t>(end_));
}

void TextInput::attach(ByteSource& source, const char* first, int size) {
    attach(nullptr, first, size);
    source_ = &source;
}

void TextInput::start_reading(std::FILE* stream, bool owns_stream) {
    stream_ = stream;
    source_ = nullptr;
    owns_stream_ = owns_stream;
    at_end_ = false;
    failed_ = false;
    at_line_start_ = true;
    met_end_byte_ = false;
    pos_ = 0;
    end_ = 0;
}

void TextInput::close() {
    if (stream_ != nullptr && owns_stream_) std::fclose(stream_);
    stream_ = nullptr;
    source_ = nullptr;
    at_end_ = true;
}

bool TextInput::refill() {
    if (at_end_ || (stream_ == nullptr && source_ == nullptr)) return false;
    const int rest = end_ - pos_;
    if (rest > 0 && pos_ > 0) std::memmove(buffer_, buffer_ + pos_, static_cast<std::size_t>(rest));
    pos_ = 0;
    end_ = rest;
    const auto room = static_cast<std::size_t>(kBufferSize - end_);
    const std::size_t got = source_ != nullptr ? source_->read(buffer_ + end_, room)
                                               : std::fread(buffer_ + end_, 1, room, stream_);
    end_ += static_cast<int>(got);
    if (bytes_read_ != nullptr) bytes_read_->fetch_add(got, std::memory_order_relaxed);
    if (got == 0) {
        at_end_ = true;
        failed_ = source_ != nullptr ? source_->failure() != SourceFailure::kNone
                                     : std::ferror(stream_) != 0;
    }
    return got > 0;
}

bool TextInput::read_line(char* line) {
    if (pos_ < end_) {
        int length = 0;
        const int taken = measure_plain_line(buffer_ + pos_, end_ - pos_, length);
        if (taken > 0) {
            // The common case, copied whole: the text, then its line end as LF.
            std::memcpy(line, buffer_ + pos_, static_cast<std::size_t>(length));
            line[length] = '\n';
            line[length + 1] = '\0';
            pos_ += taken;
            at_line_start_ = true;
            return true;
        }
    }
    int n = 0;
    while (n < kLineBufferSize - 1) {
        if (pos_ == end_ && !refill()) break;
        char c = buffer_[pos_];
        if (c == kEndOfText) {
            // Nothing after it is ever read.
            at_end_ = true;
            met_end_byte_ = true;
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
    at_line_start_ = n > 0 && line[n - 1] == '\n';
    return n > 0;
}

int TextInput::take_block(char* block, int capacity) {
    if (end_ - pos_ < capacity) refill();
    const int window = end_ - pos_ < capacity ? end_ - pos_ : capacity;
    int size = window;
    while (size > 0 && buffer_[pos_ + size - 1] != '\n') --size;
    if (size == 0) return 0;
    std::memcpy(block, buffer_ + pos_, static_cast<std::size_t>(size));
    pos_ += size;
    return size;
}

int measure_plain_line(const char* start, int available, int& length) {
    // A whole line of at most 127 characters ended by LF or CR LF, with no
    // other CR and no end byte in it: the common case, taken with block
    // searches instead of a look at every byte.
    const int window = available < kLineBufferSize ? available : kLineBufferSize;
    const auto* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(window)));
    if (lf == nullptr) return 0;
    length = static_cast<int>(lf - start);  // bytes before the LF
    const int raw = length + 1;
    if (has_low_byte(start, length)) {
        if (std::memchr(start, kEndOfText, static_cast<std::size_t>(length)) != nullptr) return 0;
        const void* cr = std::memchr(start, '\r', static_cast<std::size_t>(length));
        if (cr != nullptr) {
            if (cr != lf - 1) return 0;
            --length;
        }
    }
    if (length + 1 > kLineBufferSize - 1) return 0;
    return raw;
}

}  // namespace trimora

// Lines and raw bytes taken from a byte source through one large buffer, without allocating per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace trimora {

class ByteSource;

// One line of the input: its text, NUL-terminated in the reader's buffer,
// without what ended it: an LF, a CR LF, or a lone CR (as older files end
// their lines). The caller may change the bytes up to the NUL; they stay
// valid until the next call.
struct Line {
    char* text;
    std::size_t length;
    bool too_long;  // the line had more than the reader's limit; text holds its start
};

// Reads a byte source in large blocks. Lines and bytes may be taken in turns:
// a binary body after a text header reads on from the byte after the end of
// the header's last line.
class LineReader {
public:
    // The longest line kept whole; the rest of a longer line is skipped.
    static constexpr std::size_t kDefaultLineLimit = std::size_t{1} << 26;

    explicit LineReader(ByteSource& source, std::size_t line_limit = kDefaultLineLimit);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line, or false at the end of the data (or when the source failed).
    bool next_line(Line& line);
    // The number of the last line given, counted from 1.
    std::uint64_t line_number() const { return line_number_; }
    // The longest line kept whole.
    std::size_t line_limit() const { return line_limit_; }

    // The next n bytes (n at most kMaxTake), contiguous and valid until the
    // next call, or null when fewer than n are left; then the rest is used up.
    static constexpr std::size_t kMaxTake = 4096;
    const unsigned char* take(std::size_t n);
    // Skips n bytes; false when fewer were left.
    bool skip(std::uint64_t n);
    // True when some bytes remain unread: only reads the source when the buffer is empty.
    bool has_more();

private:
    // Moves the unread bytes to the front and reads behind them until the
    // buffer is full or the source has no more; false when nothing was added.
    bool refill();
    // Doubles the buffer, up to room for a line at the limit with its CR LF;
    // false when it is that large already.
    bool grow();

    ByteSource& source_;
    std::size_t line_limit_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;  // bytes the buffer holds, without the byte kept for a NUL
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool source_done_ = false;
    bool skipping_ = false;  // the rest of a line too long to keep is still to be skipped
    std::size_t no_cr_before_ = 0;  // the buffer holds no CR from the position up to here
    std::uint64_t line_number_ = 0;
};

}  // namespace trimora

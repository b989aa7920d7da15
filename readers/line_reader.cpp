// Line splitting and byte taking over a large read buffer that grows only for long lines.
#include "readers/line_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_source.h"

namespace trimora {

namespace {

constexpr std::size_t kInitialCapacity = std::size_t{1} << 18;

}  // namespace

LineReader::LineReader(ByteSource& source, std::size_t line_limit)
    : source_(source),
      line_limit_(line_limit),
      buffer_(new char[kInitialCapacity + 1]),
      capacity_(kInitialCapacity) {}

LineReader::~LineReader() = default;

bool LineReader::refill() {
    if (source_done_) return false;
    if (pos_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
        end_ -= pos_;
        no_cr_before_ = no_cr_before_ > pos_ ? no_cr_before_ - pos_ : 0;
        pos_ = 0;
    }
    const std::size_t wanted = capacity_ - end_;
    if (wanted == 0) return false;
    const std::size_t got = source_.read(buffer_.get() + end_, wanted);
    // A source gives fewer bytes than asked only at its end or on a failure.
    if (got < wanted) source_done_ = true;
    end_ += got;
    return got > 0;
}

bool LineReader::grow() {
    // Room for a line at the limit and its CR LF tells it from a longer one.
    const std::size_t largest = std::max(line_limit_ + 2, kInitialCapacity);
    if (capacity_ >= largest) return false;
    const std::size_t capacity = std::min(capacity_ * 2, largest);
    std::unique_ptr<char[]> buffer(new char[capacity + 1]);
    std::memcpy(buffer.get(), buffer_.get() + pos_, end_ - pos_);
    end_ -= pos_;
    no_cr_before_ = no_cr_before_ > pos_ ? no_cr_before_ - pos_ : 0;
    pos_ = 0;
    buffer_ = std::move(buffer);
    capacity_ = capacity;
    return true;
}

bool LineReader::next_line(Line& line) {
    if (skipping_) {
        // The rest of a line too long to keep, to its LF or lone CR.
        for (;;) {
            const char* from = buffer_.get() + pos_;
            const auto* lf = static_cast<const char*>(std::memchr(from, '\n', end_ - pos_));
            const std::size_t span = lf != nullptr ? static_cast<std::size_t>(lf - from) : end_ - pos_;
            const auto* cr = static_cast<const char*>(std::memchr(from, '\r', span));
            if (cr != nullptr && cr + 1 != lf) {
                pos_ += static_cast<std::size_t>(cr - from) + 1;
                break;
            }
            if (lf != nullptr) {
                pos_ += span + 1;
                break;
            }
            pos_ = end_;
            if (!refill()) break;
        }
        skipping_ = false;
    }
    std::size_t scanned = pos_;
    for (;;) {
        char* const base = buffer_.get();
        const void* lf = std::memchr(base + scanned, '\n', end_ - scanned);
        std::size_t stop = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : end_;
        bool ended = lf != nullptr;
        bool lone_cr = false;
        bool cr_pending = false;  // a CR is the last byte there is yet: an LF may follow it
        // A lone CR ends a line as an LF does, as older files have it; CR LF is one end.
        // The buffer is searched for CR ahead, so that a file without one costs a search a block.
        if (no_cr_before_ < stop) {
            const std::size_t from = std::max(scanned, no_cr_before_);
            const void* cr = std::memchr(base + from, '\r', end_ - from);
            no_cr_before_ = cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - base) : end_;
        }
        if (no_cr_before_ < stop) {
            const std::size_t at = no_cr_before_;
            if (at + 1 < stop || (!ended && source_done_)) {
                stop = at;
                ended = true;
                lone_cr = true;
            } else if (!ended) {
                cr_pending = true;
            }
        }
        if (!ended) {
            if (end_ - pos_ > line_limit_ + 1) {
                line = {base + pos_, line_limit_, true};
                base[pos_ + line_limit_] = '\0';
                pos_ += line_limit_;
                skipping_ = true;
                ++line_number_;
                return true;
            }
            if (!source_done_) {
                // Bytes up to a pending CR hold no line end; the CR is looked at again.
                const std::size_t pending = end_ - pos_ - (cr_pending ? 1 : 0);
                if (pos_ == 0 && end_ == capacity_ && !grow()) return false;
                refill();
                scanned = pos_ + pending;
                continue;
            }
            if (pos_ == end_) return false;
        }
        // A line ended by LF, CR LF or a lone CR, or the last line without an end.
        std::size_t length = stop - pos_;
        if (lf != nullptr && !lone_cr && length > 0 && base[stop - 1] == '\r') --length;
        const bool too_long = length > line_limit_;
        if (too_long) length = line_limit_;
        base[pos_ + length] = '\0';
        line = {base + pos_, length, too_long};
        pos_ = ended ? stop + 1 : stop;
        ++line_number_;
        return true;
    }
}

const unsigned char* LineReader::take(std::size_t n) {
    if (end_ - pos_ < n) {
        refill();
        if (end_ - pos_ < n) {
            pos_ = end_;
            return nullptr;
        }
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.get() + pos_);
    pos_ += n;
    return bytes;
}

bool LineReader::skip(std::uint64_t n) {
    while (n > 0) {
        if (pos_ == end_ && !refill()) return false;
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(n, end_ - pos_));
        pos_ += step;
        n -= step;
    }
    return true;
}

bool LineReader::has_more() { return pos_ < end_ || refill(); }

}  // namespace trimora

// Buffered text-mode output: every LF goes out as the line end, numbers in the "%lf" form.
#pragma once

#include <cstdio>
#include <memory>
#include <string_view>
#include <type_traits>

#include "platform/buffer_finisher.h"
#include "platform/byte_sink.h"
#include "platform/checked_format.h"
#include "platform/format_lf.h"
#include "platform/replacing_file.h"

namespace trimora {

// What a line ends in: CR LF in every file, as the format has it, on every
// system; on the console as the system's own text lines end.
enum class LineEnds { kFile, kConsole };

// A file or the console, written in text mode through a large buffer. A
// file's bytes are the same on every platform: the file is opened in binary
// mode and the LF to CR LF translation is done here. A failed write is remembered, and
// nothing more is written after it, so that the caller can report it once.
// A file opened with a finisher hands its full buffers to it (the writers'
// point lines are finished on a worker); every other output is written
// directly. A file opened here replaces the
// old one whole (ReplacingFile), and only when it is closed without a
// failure: until then, and when it is discarded, the old file stays as it was.
class TextOutput {
public:
    TextOutput() = default;
    // Writes to an already open stream that this object does not own.
    explicit TextOutput(std::FILE* stream, LineEnds ends = LineEnds::kFile);
    // Writes to the sink, which must outlive this object.
    explicit TextOutput(ByteSink& sink, LineEnds ends = LineEnds::kFile);
    // Discards a file opened here and not closed; flushes any other output.
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // Starts the file that will replace path, its buffers finished by what
    // make_finisher makes, when given; false when it cannot be made.
    bool open(const char* path, MakeBufferFinisher make_finisher = nullptr);
    // Flushes and, for a file opened here, closes it and puts it in place of
    // the old one, or discards it after a failed write; false when any write,
    // the close or the replacement failed.
    bool close();
    // For a file opened here, stops writing and removes what was written: the
    // old file keeps what it held. Any other output is flushed, as by close().
    void discard();
    // Hands the buffered bytes to the sink; false when a write failed.
    bool flush();
    bool failed() const { return failed_ || (finisher_ && finisher_->failed()); }
    // Ends the lines written from now on as ends says; a file opened here
    // always ends them in CR LF.
    void set_line_ends(LineEnds ends);
    // The line ends written so far.
    long lines_written() const { return lines_; }

    // Writes the text with each LF as the line end (CR LF in a file).
    void write(std::string_view text);
    void write_newline();
    void write_int(int value);
    void write_lf(double value);
    void write_char(char c) {
        if (c == '\n') {
            write_newline();
        } else if (c == '\0' && finisher_) {
            used_ += finisher_->put_text_nul(reserve(BufferFinisher::kMaxTextNul));
        } else {
            *reserve(1) = c;
            ++used_;
        }
    }

    // Writes a message: "%s" takes a text (null is written as the empty
    // text), "%d" a whole number, "%lf" a double, and every other character,
    // LF included, is text. The format must match the arguments, which the
    // compiler checks.
    template <class... Args>
    void print(CheckedFormat<std::type_identity_t<Args>...> format, const Args&... args) {
        Printer printer{*this};
        walk_format(printer, format, args...);
    }

    // The finisher of a file opened with one; null for every other output.
    BufferFinisher* finisher() const { return finisher_.get(); }
    // Room for n more bytes (a line's worth, far below the buffer's size)
    // at the end of what is written; commit(k) then keeps the first k of
    // them. For writers that lay out their own bytes, marks of the
    // finisher among them.
    char* reserve(int n) {
        if (used_ + n > kBufferSize) hand_over();
        return buffer_ + used_;
    }
    void commit(int n) { used_ += n; }

private:
    // Takes the pieces of a message from walk_format: all are written as text.
    struct Printer {
        TextOutput& out;
        void literal(std::string_view piece) { out.write(piece); }
        void value(std::string_view text) { out.write(text); }
    };

    // Passes the filled buffer on to the sink or the record writer; last
    // when nothing more will be written.
    void hand_over(bool last = false);
    void write_raw(const char* bytes, int n);

    static constexpr int kBufferSize = 1 << 17;
    std::unique_ptr<StreamSink> stream_sink_;
    ByteSink* sink_ = nullptr;
    ReplacingFile file_;
    std::unique_ptr<BufferFinisher> finisher_;
    bool failed_ = false;
    bool crlf_ = true;  // LF is written as CR LF
    long lines_ = 0;
    int used_ = 0;
    char first_[kBufferSize];
    char* buffer_ = first_;
};

}  // namespace trimora

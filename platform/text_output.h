// Buffered text-mode output: every LF goes out as CR LF, numbers in the "%lf" form.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/format_lf.h"
#include "platform/lf_cache.h"
#include "platform/worker_thread.h"

namespace trimora {

// One argument of TextOutput::print: a text, an int or a double.
struct PrintArg {
    enum Kind { kText, kInt, kReal } kind;
    const char* text = nullptr;
    int whole = 0;
    double real = 0.0;

    PrintArg(const char* value) : kind(kText), text(value) {}
    PrintArg(char* value) : kind(kText), text(value) {}
    PrintArg(int value) : kind(kInt), whole(value) {}
    PrintArg(double value) : kind(kReal), real(value) {}
};

// A file or the console, written in text mode through a large buffer. The
// bytes are the same on every platform: the file is opened in binary mode and
// the LF to CR LF translation is done here. A failed write is remembered, and
// nothing more is written after it, so that the caller can report it once.
class TextOutput {
public:
    TextOutput() = default;
    // Writes to an already open stream that this object does not own.
    explicit TextOutput(std::FILE* stream) : stream_(stream) {}
    // Appends to the text in memory, which must outlive this object: a
    // console kept whole until it can be printed.
    explicit TextOutput(std::string& memory) : memory_(&memory) {}
    ~TextOutput();
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    // Creates or replaces the file; false when it cannot be opened.
    bool open(const char* path);
    // Flushes and, for a file opened here, closes it; false when any write or
    // the close failed.
    bool close();
    // Hands the buffered bytes to the stream; false when a write failed.
    bool flush();
    bool failed() const { return failed_ || write_failed_.load(std::memory_order_relaxed); }

    // Writes the text with each LF as CR LF.
    void write(std::string_view text);
    void write_newline();
    void write_int(int value);
    void write_lf(double value);
    // Writes "%s %lf %lf %lf\n", the line of every facet and edge writer,
    // without interpreting a format.
    void write_point_line(const char* word, double x, double y, double z);
    void write_char(char c) {
        if (c == '\n') {
            write_newline();
        } else if (c == '\0' && records_) {
            write_nul_record();
        } else {
            *reserve(1) = c;
            ++used_;
        }
    }

    // Writes a format in the tool's own small printf dialect: "%s" takes a
    // text (null is written as the empty text), "%d" an int, "%lf" a double;
    // every other character, LF included, is text.
    template <class... Args>
    void print(const char* format, const Args&... args) {
        const PrintArg list[] = {PrintArg(args)..., PrintArg(0)};
        print_args(format, list, sizeof...(Args));
    }

private:
    void print_args(const char* format, const PrintArg* args, int count);
    void write_text(const char* text);
    // Makes room for n more bytes; n never exceeds the buffer size.
    char* reserve(int n) {
        if (used_ + n > kBufferSize) hand_over();
        return buffer_ + used_;
    }
    // Passes the filled buffer on to the file or the writer thread.
    void hand_over();
    void write_raw(const char* bytes, int n);
    void write_nul_record();
    // Writes the text of a block of records to the file; runs on the writer
    // thread, which alone uses numbers_ and expanded_ then.
    bool write_block(const char* data, std::size_t size);

    static constexpr int kBufferSize = 1 << 17;
    std::FILE* stream_ = nullptr;
    bool owns_stream_ = false;
    std::string* memory_ = nullptr;
    // Files are finished and written on a worker thread from one buffer while
    // the other fills: a point line goes into the buffer as a record of its
    // word and numbers, and the worker turns it into text. The console is
    // written directly.
    //
    // Threads: while a buffer's task runs, it alone reads that buffer and
    // uses numbers_, expanded_ and the stream; the writing thread waits for
    // it before it fills that buffer again, and for every task before it
    // closes. A failed write is the one thing a task reports back. Without a
    // thread each buffer is written when it is handed over.
    bool records_ = false;
    std::atomic<bool> write_failed_{false};
    std::unique_ptr<char[]> spare_;
    std::unique_ptr<char[]> expanded_;
    // Files, which take coordinates by the million, remember their texts.
    std::unique_ptr<LfCache> numbers_;
    bool failed_ = false;
    int used_ = 0;
    char first_[kBufferSize];
    char* buffer_ = first_;
    std::uint64_t spare_ticket_ = 0;  // the task writing the buffer not being filled
    // Declared last: its tasks end before the buffers they write go.
    WorkerThread writing_;
};

}  // namespace trimora

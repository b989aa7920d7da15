// Point lines kept as compact records in a file's buffer, and finished into text on a worker thread.
//
// Every facet and edge writer writes "word x y z" lines by the million; the
// "%lf" text of their numbers is the slow part, so a file's buffer holds
// them as records (a NUL mark, the word, the three doubles) and the record
// writer finishes them into text on a worker while the next buffer fills.
//
// Threads: while a buffer's task runs, it alone reads that buffer and uses
// the cache, the expansion buffer and the sink; hand_over() waits for the
// task of the other buffer before giving it back to fill, and finish() waits
// for every task. A failed write is the one thing a task reports back. The
// worker is optional: without a thread each buffer is finished when it is
// handed over.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/buffer_finisher.h"
#include "platform/format_lf.h"
#include "platform/lf_cache.h"
#include "platform/worker_thread.h"

namespace trimora {

class ByteSink;
class TextOutput;

// The longest word a record holds; a longer one is written as text before
// its record.
inline constexpr int kMaxRecordWord = 127;
// The most bytes one record takes: mark, length, word and three doubles.
inline constexpr int kMaxRecordSize = 2 + kMaxRecordWord + 3 * static_cast<int>(sizeof(double));
// Room for the text of a point line's numbers: three numbers with their spaces, and CR LF.
inline constexpr int kPointNumbersSize = 3 * (kLfBufferSize + 1) + 2;

// Writes " x y z" in the "%lf" form and CR LF at out (kPointNumbersSize
// bytes), through the cache when there is one; returns the bytes written.
int put_point_numbers(char* out, double x, double y, double z, LfCache* cache);

// Writes the record of the line "word x y z" at out; the word has at most
// kMaxRecordWord bytes. Returns the bytes written.
int put_point_record(char* out, const char* word, int word_length, double x, double y, double z);

// Writes the record of a NUL byte of the text itself, which would otherwise
// pass for the start of a record. Returns the bytes written.
int put_nul_record(char* out);

// Writes "word x y z" and CR LF, the numbers in the "%lf" form: as a record
// in a file whose buffers a RecordWriter finishes, as text in any other
// output. A word longer than a record holds goes as text before its record.
void write_point_line(TextOutput& out, const char* word, double x, double y, double z);

// Finishes buffers that hold text and records into text and writes them to a
// sink, on a worker thread, while the caller fills the other buffer.
class RecordWriter final : public BufferFinisher {
public:
    // buffer_size is the size of the caller's buffers.
    RecordWriter(ByteSink& sink, std::size_t buffer_size);
    ~RecordWriter() override;
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // Starts finishing the size bytes at buffer, which the caller leaves
    // alone from now on, and returns the buffer to fill next: the other one,
    // once it is written. The first call gives the writer's own second buffer.
    char* hand_over(char* buffer, std::size_t size) override;
    // Finishes and writes the last buffer on this thread, after every buffer
    // before it.
    void write_last(const char* buffer, std::size_t size) override;
    // Waits until every buffer is written; false when a write failed.
    bool finish() override;
    bool failed() const override { return failed_.load(std::memory_order_relaxed); }
    int put_text_nul(char* out) override { return put_nul_record(out); }

private:
    // Runs on the worker: the text of one buffer, written to the sink.
    bool write_block(const char* data, std::size_t size);

    ByteSink& sink_;
    std::unique_ptr<char[]> spare_;
    std::unique_ptr<char[]> expanded_;
    // Files take coordinates by the million, so their texts are remembered.
    std::unique_ptr<LfCache> numbers_;
    std::atomic<bool> failed_{false};
    char* other_ = nullptr;          // the buffer not being filled
    std::uint64_t other_ticket_ = 0;  // the task writing it
    // Declared last: its tasks end before anything they use goes.
    WorkerThread worker_;
};

// The finisher of a file of point lines, for TextOutput::open.
std::unique_ptr<BufferFinisher> make_record_writer(ByteSink& sink, std::size_t buffer_size);

}  // namespace trimora

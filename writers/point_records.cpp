// Point-line records: their layout, and their expansion into text on the writer's worker.
#include "writers/point_records.h"

#include <cstring>
#include <utility>

#include "platform/byte_sink.h"
#include "platform/test_fault.h"
#include "platform/text_output.h"

namespace trimora {

namespace {

// In a buffer handed to the writer a NUL, which no text of the tool holds,
// starts a record: the length of the word (kNulRecord for a NUL of the text
// itself), the word, and the bytes of the three numbers.
constexpr char kRecordMark = '\0';
constexpr unsigned char kNulRecord = 0xFF;
constexpr int kNumbersSize = 3 * static_cast<int>(sizeof(double));
// The longest text a record becomes: word and numbers.
constexpr int kMaxLineText = kMaxRecordWord + kPointNumbersSize;
constexpr std::size_t kExpandedSize = 1 << 18;

int put_lf(double value, char* out, LfCache* cache) {
    return cache != nullptr ? cache->format(value, out) : format_lf(value, out);
}

}  // namespace

int put_point_numbers(char* out, double x, double y, double z, LfCache* cache) {
    char* const start = out;
    *out++ = ' ';
    out += put_lf(x, out, cache);
    *out++ = ' ';
    out += put_lf(y, out, cache);
    *out++ = ' ';
    out += put_lf(z, out, cache);
    *out++ = '\r';
    *out++ = '\n';
    return static_cast<int>(out - start);
}

int put_point_record(char* out, const char* word, int word_length, double x, double y, double z) {
    out[0] = kRecordMark;
    out[1] = static_cast<char>(word_length);
    std::memcpy(out + 2, word, static_cast<std::size_t>(word_length));
    const double numbers[3] = {x, y, z};
    std::memcpy(out + 2 + word_length, numbers, kNumbersSize);
    return 2 + word_length + kNumbersSize;
}

int put_nul_record(char* out) {
    out[0] = kRecordMark;
    out[1] = static_cast<char>(kNulRecord);
    return 2;
}

void write_point_line(TextOutput& out, const char* word, double x, double y, double z) {
    int length = 0;
    while (length < kMaxRecordWord && word[length] != '\0') ++length;
    const bool records = out.finisher() != nullptr;
    if (!records || word[length] != '\0') {
        // Written as text here; a word too long for a record comes before
        // its numbers' record.
        out.write(word);
        if (!records) {
            out.commit(put_point_numbers(out.reserve(kPointNumbersSize), x, y, z, nullptr));
            return;
        }
        length = 0;
    }
    out.commit(put_point_record(out.reserve(kMaxRecordSize), word, length, x, y, z));
}

std::unique_ptr<BufferFinisher> make_record_writer(ByteSink& sink, std::size_t buffer_size) {
    return std::make_unique<RecordWriter>(sink, buffer_size);
}

RecordWriter::RecordWriter(ByteSink& sink, std::size_t buffer_size)
    : sink_(sink),
      // Written before they are read: no need to clear them.
      spare_(std::make_unique_for_overwrite<char[]>(buffer_size)),
      expanded_(std::make_unique_for_overwrite<char[]>(kExpandedSize)),
      numbers_(LfCache::take()),
      other_(spare_.get()) {}

RecordWriter::~RecordWriter() {
    try {
        finish();
    } catch (...) {
        // Only a run that already failed gets here (its last buffer's task
        // threw); that run reports it, and the cache goes back all the same.
    }
    LfCache::give_back(std::move(numbers_));
}

char* RecordWriter::hand_over(char* buffer, std::size_t size) {
    const std::uint64_t ticket = worker_.run([this, buffer, size] {
        test_fault_point("record_writer");
        if (!failed() && !write_block(buffer, size)) failed_.store(true, std::memory_order_relaxed);
    });
    // The other buffer fills next, once its own task has written it.
    worker_.wait(other_ticket_);
    char* next = other_;
    other_ = buffer;
    other_ticket_ = ticket;
    return next;
}

void RecordWriter::write_last(const char* buffer, std::size_t size) {
    // Nothing follows to overlap with: a small file starts no thread at all.
    worker_.wait_all();
    if (!failed() && !write_block(buffer, size)) failed_.store(true, std::memory_order_relaxed);
}

bool RecordWriter::finish() {
    worker_.wait_all();
    return !failed();
}

bool RecordWriter::write_block(const char* data, std::size_t size) {
    char* const text = expanded_.get();
    std::size_t filled = 0;
    const char* const end = data + size;
    while (data < end) {
        const auto* mark = static_cast<const char*>(
            std::memchr(data, kRecordMark, static_cast<std::size_t>(end - data)));
        const char* plain_end = mark != nullptr ? mark : end;
        const auto plain = static_cast<std::size_t>(plain_end - data);
        if (filled + plain + kMaxLineText > kExpandedSize) {
            if (!sink_.write(text, filled)) return false;
            filled = 0;
        }
        if (plain + kMaxLineText > kExpandedSize) {
            if (!sink_.write(data, plain)) return false;
        } else {
            std::memcpy(text + filled, data, plain);
            filled += plain;
        }
        if (mark == nullptr) break;
        const auto length = static_cast<unsigned char>(mark[1]);
        if (length == kNulRecord) {
            text[filled++] = '\0';
            data = mark + 2;
            continue;
        }
        std::memcpy(text + filled, mark + 2, length);
        double numbers[3];
        std::memcpy(numbers, mark + 2 + length, kNumbersSize);
        filled += length;
        filled += static_cast<std::size_t>(
            put_point_numbers(text + filled, numbers[0], numbers[1], numbers[2], numbers_.get()));
        data = mark + 2 + length + kNumbersSize;
    }
    return sink_.write(text, filled);
}

}  // namespace trimora

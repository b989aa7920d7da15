// Line blocks: cut at line ends, read ahead on a worker thread, applied in file order.
//
// Threads: this thread owns the input, the loop and every block. It fills a
// block from the input, then hands it whole to the worker as a task that
// reads its lines (parse_block touches nothing but that block), and takes it
// back by waiting for that task before it applies the lines to the loop.
// While it waits it reads blocks the worker has not begun: whichever side
// claims a block (an atomic flag) reads it, and the other passes it by.
// Nothing else crosses threads. The worker is optional: without a thread
// each block is read when it is handed over, and the lines reach the loop the
// same.
#include "convert/line_blocks.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "convert/line_loop.h"
#include "platform/worker_thread.h"
#include "platform/text_input.h"
#include "textutil/textutil.h"

namespace trimora {

namespace {

// Blocks on their way: filled, being read or applied.
constexpr int kBlocks = 4;

struct LineBlock {
    std::unique_ptr<char[]> bytes;
    int size = 0;
    // The ordinary lines, read in place: each line's text ends at a NUL where
    // its line end was, and the words messages may name are counted from the
    // block's start.
    std::vector<ParsedLine> lines;
    // The bytes read as ordinary lines; the rest needs the byte-by-byte reading.
    int parsed_size = 0;
    // The worker's ticket for reading the block; 0 while it is not handed over.
    std::uint64_t reading = 0;
    // Taken by whichever thread reads the block.
    std::atomic<bool> claimed{false};
};


void parse_block(LineBlock& block) {
    block.lines.clear();
    char* const bytes = block.bytes.get();
    int at = 0;
    while (at < block.size) {
        int length = 0;
        const int taken = measure_plain_line(bytes + at, block.size - at, length);
        if (taken == 0) break;
        // Its line end is left out of the text, as cleaning would drop it.
        char* const text = bytes + at;
        text[length] = '\0';
        ParsedLine parsed = parse_line(text, is_clean_lower(text, length));
        if (parsed.text_at >= 0) parsed.text_at += at;
        block.lines.push_back(parsed);
        at += taken;
    }
    block.parsed_size = at;
}

// Reads the block unless the other thread took it first.
void claim_and_parse(LineBlock& block) {
    if (!block.claimed.exchange(true, std::memory_order_acq_rel)) parse_block(block);
}

class BlockReading {
public:
    BlockReading(TextInput& input, LineLoop& loop, const std::function<void()>& after_line,
                 int block_size)
        : input_(input), loop_(loop), after_line_(after_line), block_size_(block_size) {}

    void run() {
        for (;;) {
            fill_blocks();
            if (applied_ == filled_) {
                // Nothing on its way: the input has ended, or a line with no
                // LF within a block's reach comes next.
                if (!read_pieces_to_line_end()) return;
                continue;
            }
            if (!apply_oldest_block()) return;
        }
    }

private:
    LineBlock& block(long number) { return blocks_[number % kBlocks]; }

    void fill_blocks() {
        while (filled_ - applied_ < kBlocks) {
            LineBlock& next = block(filled_);
            // Its bytes are written before they are read: no need to clear them.
            if (!next.bytes) next.bytes = std::make_unique_for_overwrite<char[]>(block_size_);
            next.size = input_.take_block(next.bytes.get(), block_size_);
            if (next.size == 0) return;
            next.reading = 0;
            next.claimed.store(false, std::memory_order_relaxed);
            ++filled_;
            // The worker only pays when there is another block to apply
            // meanwhile; the oldest is read here when nothing took it.
            for (long number = applied_ + 1; number < filled_; ++number) {
                LineBlock& waiting = block(number);
                if (waiting.reading == 0) {
                    waiting.reading = worker_.run([&waiting] { claim_and_parse(waiting); });
                }
            }
        }
    }

    // Applies the oldest block, read by its task or here; false when its end
    // byte ends the input.
    bool apply_oldest_block() {
        LineBlock& oldest = block(applied_);
        if (oldest.reading == 0) {
            parse_block(oldest);
        } else {
            // Both cores read while the worker is on the oldest block.
            for (long number = filled_ - 1; number > applied_; --number) {
                if (worker_.has_run(oldest.reading)) break;
                claim_and_parse(block(number));
            }
            worker_.wait(oldest.reading);
        }
        for (const ParsedLine& line : oldest.lines) {
            loop_.apply(line, oldest.bytes.get());
            after_line_();
        }
        const bool went_on = oldest.parsed_size == oldest.size || read_rest(oldest);
        ++applied_;
        return went_on;
    }

    // Reads the bytes of the block that are not ordinary lines piece by piece;
    // false when they hold the end byte, after which nothing is read.
    bool read_rest(const LineBlock& from) {
        const char* rest = from.bytes.get() + from.parsed_size;
        const int size = from.size - from.parsed_size;
        if (!rest_input_) rest_input_ = std::make_unique_for_overwrite<TextInput>();
        // The block ends at a line end, where a piece ends for any reading.
        rest_input_->attach(nullptr, rest, size);
        char line[kLineBufferSize];
        while (rest_input_->read_line(line)) {
            loop_.line(line);
            after_line_();
        }
        return !rest_input_->met_end_byte();
    }

    // Reads pieces until one ends a line; false at the end of the input.
    bool read_pieces_to_line_end() {
        char line[kLineBufferSize];
        do {
            if (!input_.read_line(line)) return false;
            loop_.line(line);
            after_line_();
        } while (!input_.at_line_start());
        return true;
    }

    TextInput& input_;
    LineLoop& loop_;
    const std::function<void()>& after_line_;
    const int block_size_;
    std::unique_ptr<TextInput> rest_input_;
    // Blocks counted from the start of the input: applied <= filled.
    long filled_ = 0;
    long applied_ = 0;
    LineBlock blocks_[kBlocks];
    // Declared last: its tasks end before the blocks they read go.
    WorkerThread worker_;
};

}  // namespace

void read_lines(TextInput& input, LineLoop& loop, const std::function<void()>& after_line,
                int block_size) {
    BlockReading reading(input, loop, after_line, block_size < 1 ? 1 : block_size);
    reading.run();
}

}  // namespace trimora

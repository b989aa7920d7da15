// Line blocks: cut at line ends, read on two threads, applied in file order.
#include "convert/line_blocks.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "convert/line_loop.h"
#include "platform/text_input.h"
#include "textutil/textutil.h"

namespace trimora {

namespace {

constexpr int kBlockSize = 1 << 17;
// Blocks on their way: being filled, read ahead or applied.
constexpr int kBlocks = 4;

struct LineBlock {
    std::unique_ptr<char[]> bytes = std::make_unique<char[]>(kBlockSize);
    int size = 0;
    // The ordinary lines, read in place: each line's text ends at a NUL where
    // its line end was, and the words messages may name are counted from the
    // block's start.
    std::vector<ParsedLine> lines;
    // The bytes read as ordinary lines; the rest needs the byte-by-byte reading.
    int parsed_size = 0;
    bool parsed = false;  // guarded by the mutex of the reading
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

class BlockReading {
public:
    BlockReading(TextInput& input, LineLoop& loop, const std::function<void()>& after_line)
        : input_(input), loop_(loop), after_line_(after_line) {}
    ~BlockReading() {
        if (!worker_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
    BlockReading(const BlockReading&) = delete;
    BlockReading& operator=(const BlockReading&) = delete;

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
            next.size = input_.take_block(next.bytes.get(), kBlockSize);
            if (next.size == 0) return;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                next.parsed = false;
                ++filled_;
            }
            // A second thread only pays when there is more than one block.
            if (filled_ - applied_ >= 2 && !worker_.joinable() && !alone_) {
                try {
                    worker_ = std::thread([this] { read_ahead(); });
                } catch (const std::system_error&) {
                    alone_ = true;  // no thread to be had: this one reads every block
                }
            }
            changed_.notify_all();
        }
    }

    // The second thread: reads the filled blocks in order.
    void read_ahead() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stop_ || claimed_ < filled_; });
            if (stop_) return;
            read_next_block(lock);
        }
    }

    // Takes the next filled block that no reading has taken, and reads it
    // with the mutex released; lock holds the mutex before and after.
    void read_next_block(std::unique_lock<std::mutex>& lock) {
        LineBlock& next = block(claimed_++);
        lock.unlock();
        parse_block(next);
        lock.lock();
        next.parsed = true;
        changed_.notify_all();
    }

    // Applies the oldest block, reading blocks here too until it is read;
    // false when its end byte ends the input.
    bool apply_oldest_block() {
        LineBlock& oldest = block(applied_);
        {
            std::unique_lock<std::mutex> lock(mutex_);
            while (!oldest.parsed) {
                if (claimed_ < filled_) {
                    read_next_block(lock);
                } else {
                    changed_.wait(lock);
                }
            }
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
        if (!rest_input_) rest_input_ = std::make_unique<TextInput>();
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
    LineBlock blocks_[kBlocks];
    std::unique_ptr<TextInput> rest_input_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // Blocks counted from the start of the input: applied <= claimed (taken
    // by a reading) <= filled. filled_ and claimed_ change only under the
    // mutex; applied_ is this thread's alone.
    long filled_ = 0;
    long claimed_ = 0;
    long applied_ = 0;
    bool stop_ = false;
    bool alone_ = false;
    std::thread worker_;
};

}  // namespace

void read_lines(TextInput& input, LineLoop& loop, const std::function<void()>& after_line) {
    BlockReading reading(input, loop, after_line);
    reading.run();
}

}  // namespace trimora

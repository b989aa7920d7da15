// Line blocks: cut at line ends, read ahead on a worker thread, given in file order.
//
// Threads: the caller's thread owns the input and every block. It fills a
// block from the input, then hands it whole to the worker as a task that
// reads its lines (parse_block touches nothing but that block), and takes it
// back by waiting for that task before it gives its lines. While it waits it
// reads blocks the worker has not begun: whichever side claims a block (an
// atomic flag) reads it, and the other passes it by. Nothing else crosses
// threads. The worker is optional: without a thread each block is read when
// it is handed over, and the lines come out the same.
#include "readers/line_blocks.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/test_fault.h"
#include "platform/text_input.h"
#include "platform/worker_thread.h"
#include "textutil/textutil.h"

namespace trimora {

namespace {

// Blocks on their way: filled, being read or given.
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

}  // namespace

struct LineBlocks::Reading {
    Reading(TextInput& input, int block_size) : input(input), block_size(block_size) {}

    // Where the next line comes from.
    enum class From {
        kNextBlock,    // the oldest block not yet given, or pieces when none is on its way
        kBlockLines,   // the ordinary lines of the block being given
        kBlockRest,    // the bytes of that block after them, piece by piece
        kInputPieces,  // the input itself, piece by piece, up to a line end
        kEnd,
    };

    LineBlock& block(long number) { return blocks[number % kBlocks]; }

    void fill_blocks() {
        while (filled - given < kBlocks) {
            LineBlock& next = block(filled);
            // Its bytes are written before they are read: no need to clear them.
            if (!next.bytes) next.bytes = std::make_unique_for_overwrite<char[]>(block_size);
            next.size = input.take_block(next.bytes.get(), block_size);
            if (next.size == 0) return;
            next.reading = 0;
            next.claimed.store(false, std::memory_order_relaxed);
            ++filled;
            // The worker only pays when there is another block to give
            // meanwhile; the oldest is read here when nothing took it.
            for (long number = given + 1; number < filled; ++number) {
                LineBlock& waiting = block(number);
                if (waiting.reading == 0) {
                    waiting.reading = worker.run([&waiting] {
                        test_fault_point("line_block");
                        claim_and_parse(waiting);
                    });
                }
            }
        }
    }

    // Makes the oldest block's lines ready, read by its task or here.
    void start_oldest_block() {
        LineBlock& oldest = block(given);
        if (oldest.reading == 0) {
            parse_block(oldest);
        } else {
            // Both cores read while the worker is on the oldest block.
            for (long number = filled - 1; number > given; --number) {
                if (worker.has_run(oldest.reading)) break;
                claim_and_parse(block(number));
            }
            worker.wait(oldest.reading);
        }
        lines_given = false;
    }

    // The next piece of the text-mode reading from in, read into piece.
    const ParsedLine* read_piece(TextInput& in, const char*& text) {
        if (!in.read_line(piece)) return nullptr;
        piece_line = parse_line(piece);
        text = piece;
        return &piece_line;
    }

    // The next line; or, when the next lines are a block's ordinary lines,
    // that block's lines and text, which the caller gives one by one.
    const ParsedLine* next(const char*& text, std::span<const ParsedLine>& block_lines) {
        for (;;) {
            switch (from) {
                case From::kNextBlock:
                    if (block_size > 0) fill_blocks();
                    if (given == filled) {
                        // Nothing on its way: the input has ended, or a line with
                        // no LF within a block's reach comes next.
                        from = From::kInputPieces;
                        continue;
                    }
                    start_oldest_block();
                    from = From::kBlockLines;
                    continue;
                case From::kBlockLines: {
                    LineBlock& current = block(given);
                    if (!lines_given) {
                        lines_given = true;
                        block_lines = current.lines;
                        text = current.bytes.get();
                        if (!block_lines.empty()) return nullptr;
                    }
                    if (current.parsed_size == current.size) {
                        ++given;
                        from = From::kNextBlock;
                        continue;
                    }
                    // The block ends at a line end, where a piece ends for any reading.
                    if (!rest) rest = std::make_unique_for_overwrite<TextInput>();
                    rest->attach(nullptr, current.bytes.get() + current.parsed_size,
                                 current.size - current.parsed_size);
                    from = From::kBlockRest;
                    continue;
                }
                case From::kBlockRest:
                    if (const ParsedLine* line = read_piece(*rest, text)) return line;
                    ++given;
                    // After the end byte nothing is read.
                    from = rest->met_end_byte() ? From::kEnd : From::kNextBlock;
                    continue;
                case From::kInputPieces: {
                    const ParsedLine* line = read_piece(input, text);
                    if (line == nullptr) {
                        from = From::kEnd;
                        return nullptr;
                    }
                    if (input.at_line_start()) from = From::kNextBlock;
                    return line;
                }
                case From::kEnd: return nullptr;
            }
        }
    }

    TextInput& input;
    const int block_size;
    From from = From::kNextBlock;
    std::unique_ptr<TextInput> rest;
    // Blocks counted from the start of the input: given <= filled.
    long filled = 0;
    long given = 0;
    bool lines_given = false;  // the block being given has handed out its lines
    char piece[kLineBufferSize];
    ParsedLine piece_line;
    LineBlock blocks[kBlocks];
    // Declared last: its tasks end before the blocks they read go.
    WorkerThread worker;
};

LineBlocks::LineBlocks(TextInput& input, int block_size)
    : reading_(std::make_unique<Reading>(input, block_size < 0 ? 0 : block_size)) {}

LineBlocks::~LineBlocks() = default;

const ParsedLine* LineBlocks::next_from_reading(const char*& text) {
    std::span<const ParsedLine> lines;
    const ParsedLine* line = reading_->next(text, lines);
    if (line != nullptr || lines.empty()) return line;
    text_ = text;
    next_ = lines.data() + 1;
    end_ = lines.data() + lines.size();
    return lines.data();
}

}  // namespace trimora

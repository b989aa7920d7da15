// The lines of an ASCII STL file read on both cores: blocks read ahead on a worker, given in file order.
#pragma once

#include <memory>

#include "readers/stl_line.h"

namespace trimora {

class TextInput;

// The bytes of one block of lines.
inline constexpr int kLineBlockSize = 1 << 17;

// Gives every line piece of the input with what it says, in file order,
// exactly as reading it piece by piece would. Blocks of whole ordinary lines
// are read ahead on a worker thread while the caller acts on the block
// before; the rare lines that need the byte-by-byte reading (long lines, a
// lone CR, the end byte) are read on the caller's thread. block_size is for
// tests and fuzzing, which reach the block edges with small blocks; a line
// longer than a block is read piece by piece, and 0 reads every line so.
class LineBlocks {
public:
    LineBlocks(TextInput& input, int block_size = kLineBlockSize);
    ~LineBlocks();
    LineBlocks(const LineBlocks&) = delete;
    LineBlocks& operator=(const LineBlocks&) = delete;

    // What the next line piece says, and in text the text that its text_at
    // counts from, both valid until the next call. Null at the end of the
    // input (or after its end byte), and on every call after.
    const ParsedLine* next(const char*& text) {
        // Most lines are the next of a block already read: no call for them.
        if (next_ != end_) {
            text = text_;
            return next_++;
        }
        return next_from_reading(text);
    }

private:
    struct Reading;
    const ParsedLine* next_from_reading(const char*& text);

    // The lines of the block being given, not given yet, and its text.
    const ParsedLine* next_ = nullptr;
    const ParsedLine* end_ = nullptr;
    const char* text_ = nullptr;
    std::unique_ptr<Reading> reading_;
};

}  // namespace trimora

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

    // The next line piece: what it says, and the text that line.text_at
    // counts from, valid until the next call. False at the end of the input
    // (or after its end byte), and on every call after.
    bool next(ParsedLine& line, const char*& text);

private:
    struct Reading;
    std::unique_ptr<Reading> reading_;
};

}  // namespace trimora

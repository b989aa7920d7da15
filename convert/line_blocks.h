// Reading the lines of an ASCII STL file on both cores.
#pragma once

#include <functional>

namespace trimora {

class TextInput;
struct LineLoop;

// The bytes of one block of lines.
inline constexpr int kLineBlockSize = 1 << 17;

// Reads every line of the input and hands it to the loop in file order,
// calling after_line after each one, exactly as a line-by-line reading would.
// Blocks of whole ordinary lines are read ahead on a worker thread while the
// loop acts on the block before; the rare lines that need the
// byte-by-byte reading (long lines, a lone CR, the end byte) are read on this
// thread. block_size is for tests and fuzzing, which reach the block edges
// with small blocks; a line longer than a block is read piece by piece.
void read_lines(TextInput& input, LineLoop& loop, const std::function<void()>& after_line,
                int block_size = kLineBlockSize);

}  // namespace trimora

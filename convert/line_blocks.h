// Reading the lines of an ASCII STL file on both cores.
#pragma once

#include <functional>

namespace trimora {

class TextInput;
struct LineLoop;

// Reads every line of the input and hands it to the loop in file order,
// calling after_line after each one, exactly as a line-by-line reading would.
// Whole blocks of ordinary lines are read on a second thread while the loop
// acts on the block before; the rare lines that need the byte-by-byte reading
// (long lines, a lone CR, the end byte) are read on this thread.
void read_lines(TextInput& input, LineLoop& loop, const std::function<void()>& after_line);

}  // namespace trimora

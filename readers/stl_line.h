// One line of an ASCII STL file read into what it says, without touching a reading's state.
#pragma once

#include <cstdint>

namespace trimora {

// What one line says: found on any thread, acted on in file order.
struct ParsedLine {
    std::uint8_t word = 0;  // the code word's value (kNoWord for a blank line)
    bool normal = true;     // a facet line: its second word is "normal"
    // Where the word a message may name (the first word, or a facet line's
    // second) starts, counted from the text the line was read from; -1: none.
    std::int32_t text_at = -1;
    // A facet line's unit normal or a vertex line's coordinates.
    double values[3] = {};
};

// Cleans, splits and reads one line piece (NUL-terminated, changed in place);
// clean says that cleaning would leave the text as it is (is_clean_lower).
ParsedLine parse_line(char* text, bool clean = false);

}  // namespace trimora

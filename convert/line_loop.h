// The code-word loop over the lines of an ASCII STL file: each line is read
// into a ParsedLine, which may happen on any thread, and then applied to the
// facet being collected, in file order.
#pragma once

#include <cstdint>

#include "mesh/facet_sink.h"
#include "platform/checked_format.h"

namespace trimora {

class TextOutput;

// Adds one to a counter; past INT_MAX it wraps to INT_MIN as a 32-bit
// counter does, instead of overflowing (a file of over two billion lines).
inline void count_one(int& counter) {
    counter = static_cast<int>(static_cast<unsigned>(counter) + 1u);
}

// What one line says, found without touching the run's state.
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

// The state of one pass over the input: the counters, the facet being
// collected and the running conversion status. Complete facets go to the
// run's sink.
struct LineLoop {
    LineLoop(FacetSink& facet_sink, TextOutput& console_output)
        : sink(facet_sink), console(console_output) {}

    FacetSink& sink;
    TextOutput& console;
    int status = 1;
    int nfacet = 0;
    // The number of the line being read, for messages.
    int line_number = 0;
    // Vertices collected for the current facet, 0 to 3.
    int vertex_count = 0;
    // The last well-formed normal and the vertex buffer.
    Facet facet{{}, {0.0, 0.0, 1.0}, true};

    // Counts the line and acts on what it says; text is what line.text_at counts from.
    void apply(const ParsedLine& line, const char* text);
    // Reads one line piece and acts on it.
    void line(char* text) { apply(parse_line(text), text); }

private:
    void report(CheckedFormat<const char*, int> format, const char* token);
};

}  // namespace trimora

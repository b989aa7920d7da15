// The one reading loop of the formats read line by line: OBJ, OFF, PLY (its header and ASCII body) and KPF.
#pragma once

#include <cstddef>
#include <string_view>

#include "readers/line_reader.h"
#include "readers/mesh_reader.h"
#include "readers/reader_support.h"

namespace trimora {

// What a line longer than the line limit is to a format.
enum class LongLines {
    kProblem,  // a problem of its own, "Line longer than [N] bytes"; the reading goes on after it
    kCut,      // its first bytes, up to the limit, handed to read_line as any line (too_long set)
};

// A reader of lines. Each next() first gives the next facet of the polygon
// in fan_, when one is left, and after stop() or the end, the end. Else it
// lets read_on go on from what earlier lines left, then pulls the next line
// and hands it to read_line, until one of them gives a step. At the end of
// the data a failed source is reported and the reading stops; otherwise
// read_to_end() becomes true and read_end gives the last steps: it is asked
// again at each next() until it gives the end.
class LineMeshReader : public MeshReader {
public:
    ReadStep next() final;

protected:
    LineMeshReader(ByteSource& source, std::string_view name, const char* format_name,
                   LongLines long_lines = LongLines::kProblem,
                   std::size_t line_limit = LineReader::kDefaultLineLimit)
        : MeshReader(source, name, format_name), lines_(source, line_limit), long_lines_(long_lines) {}

    // Reads one line, whose bytes it may change; true with step set when it
    // gives a facet (in facet_, or the first of a polygon started in fan_) or
    // a problem. A statement that runs over lines reads the rest from lines_.
    virtual bool read_line(Line& line, ReadStep& step) = 0;
    // Goes on from what earlier lines left, before the next line is pulled;
    // true with step set. Nothing is left by default.
    virtual bool read_on(ReadStep& step);
    // The step at the end of the data when the source did not fail: a last
    // facet or problem, or the end. It may make read_to_end() false; then
    // it stops the reading too.
    virtual ReadStep read_end();
    // Ends the reading: next() gives what is left of fan_'s polygon, then the end.
    void stop() { done_ = true; }

    LineReader lines_;
    VertexTable vertices_;  // the vertices of an indexed format
    PolygonFan fan_;        // the polygon whose facets are being given

private:
    ReadStep end_of_data();

    LongLines long_lines_;
    bool done_ = false;
};

}  // namespace trimora

// VQ wire-frame output: each edge once, as move and plot pen commands, up to the line list's capacity.
#pragma once

#include <cstdint>

#include "mesh/facet_sink.h"
#include "writers/line_list.h"
#include "writers/pen.h"

namespace trimora {

class RunConsole;
class TextOutput;

// The WIRE form. Its line list and pen start empty and far away, and live as
// long as the run.
class WireWriter final : public FacetSink {
public:
    // The overflow of the line list is reported on the console: a line for
    // each edge left out, or with summary one line after the last facet that
    // counts them.
    WireWriter(TextOutput& file, RunConsole& console, bool summary = false)
        : file_(file), console_(console), pen_(file), summary_(summary) {}

    int take_facet(const Facet& facet) override { return write_facet_edges(facet); }
    void end_of_facets() override;

    // Writes an empty line and then the facet's three edges (vertex 0 to 1, 1
    // to 2, 2 to 0) that are not written yet. The normal is not used. Returns 1.
    int write_facet_edges(const Facet& facet);

    // Writes the edge unless it is listed in either direction: a move when
    // the pen is not at its start, then a plot to its end. Returns 1 when the
    // edge was listed or is now listed and written, 0 when the list was full.
    int add_edge(double x1, double y1, double z1, double x2, double y2, double z2);

private:
    TextOutput& file_;
    RunConsole& console_;
    Pen pen_;
    LineList lines_;
    bool summary_;
    std::uint64_t left_out_ = 0;  // edges the full list left out, with summary
};

}  // namespace trimora

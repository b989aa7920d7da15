// The complete VQ wire frame: every distinct edge once, with no capacity.
#pragma once

#include "mesh/edge_set.h"
#include "mesh/facet_sink.h"
#include "writers/pen.h"

namespace trimora {

class TextOutput;

// The wire frame without the line list's capacity: edges are told apart as
// the WIRE form tells them, so the file is the WIRE form's wherever its line
// list does not overflow. Memory grows with the distinct edges.
class AllEdgesWriter final : public FacetSink {
public:
    explicit AllEdgesWriter(TextOutput& file) : file_(file), pen_(file) {}

    int take_facet(const Facet& facet) override { return write_facet_all_edges(facet); }

    // Writes an empty line and then those of the facet's three edges (vertex
    // 0 to 1, 1 to 2, 2 to 0) that no facet brought before, in the facet's
    // direction and with its own coordinates, by the pen rules of the wire
    // frame. The normal is not used. Returns 1.
    int write_facet_all_edges(const Facet& facet);

private:
    TextOutput& file_;
    Pen pen_;
    EdgeSet edges_;
};

}  // namespace trimora

// VQ wire-frame output: each edge once, as move and plot pen commands.
#pragma once

#include "writers/facet_output.h"

namespace trimora {

// Writes an empty line and then the facet's three edges (vertex 0 to 1, 1 to
// 2, 2 to 0) that are not written yet. The normal is not used. Returns 1.
int write_facet_edges(FacetOutput& out, double nx, double ny, double nz, const double* xs,
                      const double* ys, const double* zs);

// Writes the edge unless it is listed in either direction: a move when the pen
// is not at its start, then a plot to its end. Returns 1 when the edge was
// listed or is now listed and written, 0 when the list was full.
int add_edge(FacetOutput& out, double x1, double y1, double z1, double x2, double y2, double z2);

// Draws the edge: a move when the pen is not at its start, then a plot to its
// end, where the pen then stands.
void draw_edge(FacetOutput& out, double x1, double y1, double z1, double x2, double y2, double z2);

}  // namespace trimora

// The complete VQ wire frame: every distinct edge once, with no capacity.
#pragma once

#include "writers/facet_output.h"

namespace trimora {

// Writes an empty line and then those of the facet's three edges (vertex 0 to
// 1, 1 to 2, 2 to 0) that no facet brought before, in the facet's direction
// and with its own coordinates, by the pen rules of the wire frame. Edges are
// told apart as the wire frame tells them, so the file is the wire frame's
// wherever its line list does not overflow. The normal is not used. Returns 1.
int write_facet_all_edges(FacetOutput& out, double nx, double ny, double nz, const double* xs,
                          const double* ys, const double* zs);

}  // namespace trimora

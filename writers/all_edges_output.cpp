// Complete wire-frame edges, found in the shared edge set.
#include "writers/all_edges_output.h"

#include <cstdint>

#include "platform/text_output.h"
#include "writers/wire_output.h"

namespace trimora {

int write_facet_all_edges(FacetOutput& out, double /*nx*/, double /*ny*/, double /*nz*/,
                          const double* xs, const double* ys, const double* zs) {
    out.file->write_newline();
    const std::uint32_t ids[3] = {out.all_edges.vertex_id(xs[0], ys[0], zs[0]),
                                  out.all_edges.vertex_id(xs[1], ys[1], zs[1]),
                                  out.all_edges.vertex_id(xs[2], ys[2], zs[2])};
    for (int i = 0; i < 3; ++i) {
        const int j = i == 2 ? 0 : i + 1;
        if (out.all_edges.add_edge_use(ids[i], ids[j]) == 1) {
            draw_edge(out, xs[i], ys[i], zs[i], xs[j], ys[j], zs[j]);
        }
    }
    return 1;
}

}  // namespace trimora

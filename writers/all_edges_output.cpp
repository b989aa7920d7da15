// Complete wire-frame edges, found in the edge set.
#include "writers/all_edges_output.h"

#include <cstdint>

#include "platform/text_output.h"

namespace trimora {

int AllEdgesWriter::write_facet_all_edges(const Facet& f) {
    file_.write_newline();
    const std::uint32_t ids[3] = {edges_.vertex_id(f.xs[0], f.ys[0], f.zs[0]),
                                  edges_.vertex_id(f.xs[1], f.ys[1], f.zs[1]),
                                  edges_.vertex_id(f.xs[2], f.ys[2], f.zs[2])};
    for (int i = 0; i < 3; ++i) {
        const int j = i == 2 ? 0 : i + 1;
        if (edges_.add_edge_use(ids[i], ids[j]) == 1) {
            pen_.draw_edge(f.xs[i], f.ys[i], f.zs[i], f.xs[j], f.ys[j], f.zs[j]);
        }
    }
    return 1;
}

}  // namespace trimora

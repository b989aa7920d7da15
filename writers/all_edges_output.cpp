// Complete wire-frame edges, found in the edge set.
#include "writers/all_edges_output.h"

#include <cstdint>

#include "platform/text_output.h"

namespace trimora {

int AllEdgesWriter::write_facet_all_edges(const Facet& f) {
    const double(&v)[3][3] = f.vertices;
    file_.write_newline();
    const std::uint32_t ids[3] = {edges_.vertex_id(v[0][0], v[0][1], v[0][2]),
                                  edges_.vertex_id(v[1][0], v[1][1], v[1][2]),
                                  edges_.vertex_id(v[2][0], v[2][1], v[2][2])};
    for (int i = 0; i < 3; ++i) {
        const int j = i == 2 ? 0 : i + 1;
        if (edges_.add_edge_use(ids[i], ids[j]) == 1) {
            pen_.draw_edge(v[i][0], v[i][1], v[i][2], v[j][0], v[j][1], v[j][2]);
        }
    }
    return 1;
}

}  // namespace trimora

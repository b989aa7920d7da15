// Wire-frame edges with repeated edges and needless moves left out.
#include "writers/wire_output.h"

#include "mesh/run_console.h"
#include "platform/text_output.h"

namespace trimora {

int WireWriter::write_facet_edges(const Facet& f) {
    const double(&v)[3][3] = f.vertices;
    file_.write_newline();
    add_edge(v[0][0], v[0][1], v[0][2], v[1][0], v[1][1], v[1][2]);
    add_edge(v[1][0], v[1][1], v[1][2], v[2][0], v[2][1], v[2][2]);
    add_edge(v[2][0], v[2][1], v[2][2], v[0][0], v[0][1], v[0][2]);
    return 1;
}

int WireWriter::add_edge(double x1, double y1, double z1, double x2, double y2, double z2) {
    if (find_edge(lines_, x1, y1, z1, x2, y2, z2) >= 0) return 1;
    if (summary_ && lines_.count >= LineList::kCapacity) {
        ++left_out_;
        return 0;
    }
    if (store_edge(lines_, console_, x1, y1, z1, x2, y2, z2) < 0) return 0;
    pen_.draw_edge(x1, y1, z1, x2, y2, z2);
    return 1;
}

void WireWriter::end_of_facets() {
    if (left_out_ == 0) return;
    console_.problem("Line list overflow: [%d]: [%d] edges left out; -f wire --all-edges writes every edge\n",
                     LineList::kCapacity, left_out_);
}

}  // namespace trimora

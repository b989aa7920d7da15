// Wire-frame edges with repeated edges and needless moves left out.
#include "writers/wire_output.h"

#include "platform/text_output.h"

namespace trimora {

int WireWriter::write_facet_edges(const Facet& f) {
    file_.write_newline();
    add_edge(f.xs[0], f.ys[0], f.zs[0], f.xs[1], f.ys[1], f.zs[1]);
    add_edge(f.xs[1], f.ys[1], f.zs[1], f.xs[2], f.ys[2], f.zs[2]);
    add_edge(f.xs[2], f.ys[2], f.zs[2], f.xs[0], f.ys[0], f.zs[0]);
    return 1;
}

int WireWriter::add_edge(double x1, double y1, double z1, double x2, double y2, double z2) {
    if (find_edge(lines_, x1, y1, z1, x2, y2, z2) >= 0) return 1;
    if (store_edge(lines_, console_, x1, y1, z1, x2, y2, z2) < 0) return 0;
    pen_.draw_edge(x1, y1, z1, x2, y2, z2);
    return 1;
}

}  // namespace trimora

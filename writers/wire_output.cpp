// Wire-frame edges with repeated edges and needless moves left out.
#include "writers/wire_output.h"

#include "platform/text_output.h"

namespace trimora {

int write_facet_edges(FacetOutput& out, double /*nx*/, double /*ny*/, double /*nz*/,
                      const double* xs, const double* ys, const double* zs) {
    out.file->write_newline();
    add_edge(out, xs[0], ys[0], zs[0], xs[1], ys[1], zs[1]);
    add_edge(out, xs[1], ys[1], zs[1], xs[2], ys[2], zs[2]);
    add_edge(out, xs[2], ys[2], zs[2], xs[0], ys[0], zs[0]);
    return 1;
}

int add_edge(FacetOutput& out, double x1, double y1, double z1, double x2, double y2, double z2) {
    if (find_edge(out.lines, x1, y1, z1, x2, y2, z2) >= 0) return 1;
    if (store_edge(out.lines, *out.console, x1, y1, z1, x2, y2, z2) < 0) return 0;
    draw_edge(out, x1, y1, z1, x2, y2, z2);
    return 1;
}

void draw_edge(FacetOutput& out, double x1, double y1, double z1, double x2, double y2, double z2) {
    if (out.pen_x != x1 || out.pen_y != y1 || out.pen_z != z1) {
        out.file->write_point_line("move", x1, y1, z1);
    }
    out.file->write_point_line("plot", x2, y2, z2);
    out.pen_x = x2;
    out.pen_y = y2;
    out.pen_z = z2;
}

}  // namespace trimora

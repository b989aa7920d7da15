// Move and plot lines, with the move left out where the pen already stands.
#include "writers/pen.h"

#include "platform/text_output.h"
#include "writers/point_records.h"

namespace trimora {

void Pen::draw_edge(double x1, double y1, double z1, double x2, double y2, double z2) {
    if (x_ != x1 || y_ != y1 || z_ != z1) write_point_line(file_, "move", x1, y1, z1);
    write_point_line(file_, "plot", x2, y2, z2);
    x_ = x2;
    y_ = y2;
    z_ = z2;
}

}  // namespace trimora

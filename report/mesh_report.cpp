// Mesh figures gathered from complete facets through the shared edge set.
#include "report/mesh_report.h"

#include <cmath>
#include <limits>

namespace trimora {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace

MeshReport::MeshReport() {
    for (int axis = 0; axis < 3; ++axis) {
        min_[axis] = kInfinity;
        max_[axis] = -kInfinity;
    }
}

void MeshReport::add_facet(const double* xs, const double* ys, const double* zs) {
    ++complete_facets_;
    std::uint32_t ids[3];
    for (int i = 0; i < 3; ++i) {
        ids[i] = edges_.vertex_id(xs[i], ys[i], zs[i]);
        const double point[3] = {xs[i], ys[i], zs[i]};
        for (int axis = 0; axis < 3; ++axis) {
            // A NaN fails both tests and stays out; adding 0.0 makes -0.0 the
            // 0.0 it equals, so the bounds do not depend on the order.
            const double value = point[axis] + 0.0;
            if (value < min_[axis]) min_[axis] = value;
            if (value > max_[axis]) max_[axis] = value;
        }
    }
    for (int i = 0; i < 3; ++i) {
        switch (edges_.add_edge_use(ids[i], ids[i == 2 ? 0 : i + 1])) {
            case 1: ++boundary_edges_; break;
            case 2: --boundary_edges_; break;
            case 3: ++nonmanifold_edges_; break;
            default: break;
        }
    }
    const double ax = xs[1] - xs[0], ay = ys[1] - ys[0], az = zs[1] - zs[0];
    const double bx = xs[2] - xs[0], by = ys[2] - ys[0], bz = zs[2] - zs[0];
    const double cx = ay * bz - az * by;
    const double cy = az * bx - ax * bz;
    const double cz = ax * by - ay * bx;
    if (cx == 0.0 && cy == 0.0 && cz == 0.0) ++degenerate_facets_;
    area_ += std::sqrt(cx * cx + cy * cy + cz * cz) / 2.0;
    // v0 . (v1 x v2): the signed volume of the tetrahedron with the origin.
    const double dx = ys[1] * zs[2] - zs[1] * ys[2];
    const double dy = zs[1] * xs[2] - xs[1] * zs[2];
    const double dz = xs[1] * ys[2] - ys[1] * xs[2];
    volume_ += (xs[0] * dx + ys[0] * dy + zs[0] * dz) / 6.0;
}

MeshFigures MeshReport::figures() const {
    MeshFigures figures;
    figures.facets = facets_;
    figures.vertices = edges_.vertex_count();
    figures.edges = edges_.edge_count();
    figures.boundary_edges = boundary_edges_;
    figures.nonmanifold_edges = nonmanifold_edges_;
    figures.degenerate_facets = degenerate_facets_;
    for (int axis = 0; axis < 3; ++axis) {
        // Bounds that never moved saw no number on that axis.
        const bool seen = min_[axis] <= max_[axis];
        figures.min[axis] = seen ? min_[axis] : std::nan("");
        figures.max[axis] = seen ? max_[axis] : std::nan("");
    }
    figures.area = area_;
    figures.volume = volume_;
    figures.closed = complete_facets_ > 0 && boundary_edges_ == 0 && nonmanifold_edges_ == 0;
    return figures;
}

}  // namespace trimora

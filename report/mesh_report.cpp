// Mesh figures gathered from complete facets through the shared edge set.
#include "report/mesh_report.h"

#include <cmath>
#include <limits>
#include <utility>

#include "platform/test_fault.h"

namespace trimora {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::size_t kFacetValues = 9;

}  // namespace

MeshTally::MeshTally() {
    for (int axis = 0; axis < 3; ++axis) {
        min_[axis] = kInfinity;
        max_[axis] = -kInfinity;
    }
}

void MeshTally::add_facet(const double* p) {
    ++complete_facets_;
    std::uint32_t ids[3];
    for (int i = 0; i < 3; ++i) {
        const double* point = p + 3 * i;
        ids[i] = edges_.vertex_id(point[0], point[1], point[2]);
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
    const double ax = p[3] - p[0], ay = p[4] - p[1], az = p[5] - p[2];
    const double bx = p[6] - p[0], by = p[7] - p[1], bz = p[8] - p[2];
    const double cx = ay * bz - az * by;
    const double cy = az * bx - ax * bz;
    const double cz = ax * by - ay * bx;
    if (cx == 0.0 && cy == 0.0 && cz == 0.0) ++degenerate_facets_;
    area_ += std::sqrt(cx * cx + cy * cy + cz * cz) / 2.0;
    // v0 . (v1 x v2): the signed volume of the tetrahedron with the origin.
    const double dx = p[4] * p[8] - p[5] * p[7];
    const double dy = p[5] * p[6] - p[3] * p[8];
    const double dz = p[3] * p[7] - p[4] * p[6];
    volume_ += (p[0] * dx + p[1] * dy + p[2] * dz) / 6.0;
}

MeshFigures MeshTally::figures() const {
    MeshFigures figures;
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

// The worker waits for its last task when it goes, before the blocks do.
MeshReport::~MeshReport() = default;

int MeshReport::take_facet(const Facet& facet) {
    if (filling_.empty()) filling_.reserve(kBlockFacets * kFacetValues);
    const double* points = &facet.vertices[0][0];
    filling_.insert(filling_.end(), points, points + kFacetValues);
    if (filling_.size() == kBlockFacets * kFacetValues) hand_over();
    return 1;
}

MeshFigures MeshReport::figures() {
    tallying_.wait_all();
    tally_block(filling_);
    filling_.clear();
    MeshFigures figures = tally_.figures();
    figures.facets = facets_;
    return figures;
}

void MeshReport::tally_block(const std::vector<double>& block) {
    for (std::size_t at = 0; at < block.size(); at += kFacetValues) {
        tally_.add_facet(block.data() + at);
    }
}

void MeshReport::hand_over() {
    // The block before is tallied once its task has ended; then its vector
    // takes the next facets.
    tallying_.wait_all();
    std::swap(filling_, pending_);
    filling_.clear();
    tallying_.run([this] {
        test_fault_point("report_tally");
        tally_block(pending_);
    });
}

}  // namespace trimora

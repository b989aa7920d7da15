// The mesh report: counts, bounds, area, volume and closedness of the complete facets of one file.
#pragma once

#include <cstdint>

#include "writers/edge_set.h"

namespace trimora {

// The figures of one file. Counts are of complete facets only, except facets.
struct MeshFigures {
    int facets = 0;                        // nfacet, as the conversion reports it
    std::uint64_t vertices = 0;            // distinct points
    std::uint64_t edges = 0;               // distinct undirected edges
    std::uint64_t boundary_edges = 0;      // edges of exactly one facet
    std::uint64_t nonmanifold_edges = 0;   // edges of three facets or more
    std::uint64_t degenerate_facets = 0;   // (v1 - v0) x (v2 - v0) exactly zero
    // Per axis, over the coordinates that are not NaN; NaN when there is none.
    double min[3] = {};
    double max[3] = {};
    // Plain IEEE sums over every complete facet: a NaN coordinate makes them
    // NaN, an infinite one makes them infinite or NaN.
    double area = 0.0;
    double volume = 0.0;
    bool closed = false;  // at least one facet, no boundary or non-manifold edge
};

// Collects the figures facet by facet, in memory that grows with the distinct
// points and edges only.
class MeshReport {
public:
    MeshReport();

    // One complete facet, vertex i = (xs[i], ys[i], zs[i]).
    void add_facet(const double* xs, const double* ys, const double* zs);
    // The facet count of the conversion, which counts incomplete facets too.
    void set_facet_count(int nfacet) { facets_ = nfacet; }

    MeshFigures figures() const;

private:
    EdgeSet edges_;
    int facets_ = 0;
    std::uint64_t complete_facets_ = 0;
    std::uint64_t boundary_edges_ = 0;
    std::uint64_t nonmanifold_edges_ = 0;
    std::uint64_t degenerate_facets_ = 0;
    double min_[3];
    double max_[3];
    double area_ = 0.0;
    double volume_ = 0.0;
};

}  // namespace trimora

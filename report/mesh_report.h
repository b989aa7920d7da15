// The mesh report: counts, bounds, area, volume and closedness of the complete facets of one file.
//
// Threads: the conversion's thread fills one block while the worker tallies
// the other; the worker's task alone touches the tally and the pending block
// until the conversion's thread has waited for it, before the next hand-over
// and before the figures are read. Without a thread each block is tallied
// when it is handed over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mesh/edge_set.h"
#include "mesh/facet_sink.h"
#include "platform/worker_thread.h"

namespace trimora {

// The figures of one file. Counts are of complete facets only, except facets.
struct MeshFigures {
    std::string format;                    // what was read: stl-ascii, obj, 3mf.gz, ...
    std::string unit;                      // a 3MF model's unit; empty for other formats
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

// Collects the figures facet by facet, on the calling thread, in memory that
// grows with the distinct points and edges only.
class MeshTally {
public:
    MeshTally();

    // One complete facet: x, y, z of vertex 0, then of vertex 1 and 2.
    void add_facet(const double* points);
    // The figures so far, with facets left 0.
    MeshFigures figures() const;

private:
    EdgeSet edges_;
    std::uint64_t complete_facets_ = 0;
    std::uint64_t boundary_edges_ = 0;
    std::uint64_t nonmanifold_edges_ = 0;
    std::uint64_t degenerate_facets_ = 0;
    double min_[3];
    double max_[3];
    double area_ = 0.0;
    double volume_ = 0.0;
};

// The report consumer of a conversion. Facets are tallied in blocks on a
// worker thread while the conversion reads on, as the writers format on
// theirs: the tables' memory stalls then cost no time of the reading.
class MeshReport final : public FacetSink {
public:
    MeshReport() = default;
    ~MeshReport();
    MeshReport(const MeshReport&) = delete;
    MeshReport& operator=(const MeshReport&) = delete;

    // Counts one complete facet; its normal is not used. Returns 1.
    int take_facet(const Facet& facet) override;
    // The facet count of the conversion, which counts incomplete facets too.
    void set_facet_count(int nfacet) { facets_ = nfacet; }

    // Waits for every facet handed on to be tallied, then gives the figures.
    MeshFigures figures();

    // Facets per block handed to the tallying thread.
    static constexpr int kBlockFacets = 4096;

private:
    void hand_over();
    void tally_block(const std::vector<double>& block);

    MeshTally tally_;
    int facets_ = 0;
    std::vector<double> filling_;  // the calling thread's block
    std::vector<double> pending_;  // a full block for the tallying task
    // Declared last: its tasks end before the blocks and the tally go.
    WorkerThread tallying_;
};

}  // namespace trimora

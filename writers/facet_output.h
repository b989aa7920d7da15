// The end-of-facet dispatch and the KPF facet block.
#pragma once

#include "writers/edge_set.h"
#include "writers/facet_consumer.h"
#include "writers/line_list.h"

namespace trimora {

class MeshReport;
class TextOutput;

// Output codes: which form the facets are written in.
enum OutputCode : int { kNullForm = 0, kNumberForm = 1, kTextForm = 2, kWireForm = 3 };

// The far point where the pen stands before the first edge of a run, so that
// the first edge always begins with a move.
inline constexpr double kFarAway = -9999999.9;

// Adds one to a counter; past INT_MAX it wraps to INT_MIN as a 32-bit
// counter does, instead of overflowing (a file of over two billion lines).
inline void count_one(int& counter) {
    counter = static_cast<int>(static_cast<unsigned>(counter) + 1u);
}

// Everything the writers share with the converter during one run.
struct FacetOutput {
    int output_code = kNullForm;
    // The output code's writer unless the run asks for another consumer.
    FacetConsumer consumer = FacetConsumer::kOutputCodeWriter;
    // The figures of the mesh report, owned by the caller; the report consumer only.
    MeshReport* report = nullptr;
    const char* normal_keyword = "nrml";
    const char* vertex_keyword = "trng";
    TextOutput* file = nullptr;
    TextOutput* console = nullptr;
    // Vertices collected for the current facet, 0 to 3; the converter counts
    // them and finish_facet resets the count.
    int vertex_count = 0;
    // The number of the line being read, for messages.
    int line_number = 0;
    // Wire-frame state: the edges written so far and the last point plotted.
    LineList lines;
    double pen_x = kFarAway;
    double pen_y = kFarAway;
    double pen_z = kFarAway;
    // The edges of the complete wire frame, which has no capacity; empty
    // until it is used.
    EdgeSet all_edges;
};

// Hands the finished facet (unit normal, vertex i = (xs[i], ys[i], zs[i])) to
// the run's consumer when it has exactly three vertices, or reports the wrong
// count. Returns the consumer's result (1) for a facet handed on, 0 for a
// wrong count and for a complete facet that no form writes (NULL). The vertex
// count is 0 afterwards in every case.
int finish_facet(FacetOutput& out, double nx, double ny, double nz, const double* xs,
                 const double* ys, const double* zs);

// Writes one KPF facet block: an empty line, then a normal line before each
// vertex line. Returns 1.
int write_facet_lines(FacetOutput& out, double nx, double ny, double nz, const double* xs,
                      const double* ys, const double* zs);

}  // namespace trimora

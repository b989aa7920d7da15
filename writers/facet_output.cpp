// Facet dispatch by output form, and the KPF facet block writer.
#include "writers/facet_output.h"

#include "platform/text_output.h"
#include "report/mesh_report.h"
#include "writers/all_edges_output.h"
#include "writers/wire_output.h"

namespace trimora {

int finish_facet(FacetOutput& out, double nx, double ny, double nz, const double* xs,
                 const double* ys, const double* zs) {
    int result = 0;
    if (out.vertex_count == 3) {
        if (out.consumer == FacetConsumer::kAllEdges) {
            result = write_facet_all_edges(out, nx, ny, nz, xs, ys, zs);
        } else if (out.consumer == FacetConsumer::kMeshReport) {
            if (out.report != nullptr) out.report->add_facet(xs, ys, zs);
            result = 1;
        } else if (out.output_code == kNumberForm || out.output_code == kTextForm) {
            result = write_facet_lines(out, nx, ny, nz, xs, ys, zs);
        } else if (out.output_code == kWireForm) {
            result = write_facet_edges(out, nx, ny, nz, xs, ys, zs);
        }
        // With no form selected nothing is converted, and the run must not
        // look like a success.
    } else {
        out.console->print("Wrong number of vertices [%d] at line %d\n", out.vertex_count,
                           out.line_number);
    }
    out.vertex_count = 0;
    return result;
}

int write_facet_lines(FacetOutput& out, double nx, double ny, double nz, const double* xs,
                      const double* ys, const double* zs) {
    TextOutput& file = *out.file;
    file.write_newline();
    for (int i = 0; i < out.vertex_count; ++i) {
        file.write_point_line(out.normal_keyword, nx, ny, nz);
        file.write_point_line(out.vertex_keyword, xs[i], ys[i], zs[i]);
    }
    return 1;
}

}  // namespace trimora

// The vertex-count check at the end of each facet, and the KPF facet block writer.
#include "writers/facet_output.h"

#include "mesh/normals.h"
#include "platform/text_output.h"

namespace trimora {

int finish_facet(FacetSink& sink, TextOutput& console, int& vertex_count, int line_number,
                 const Facet& facet) {
    int result = 0;
    if (vertex_count == 3) {
        result = sink.take_facet(facet);
    } else {
        console.print("Wrong number of vertices [%d] at line %d\n", vertex_count, line_number);
    }
    vertex_count = 0;
    return result;
}

void write_facet_lines(TextOutput& file, const char* normal_keyword, const char* vertex_keyword,
                       const Facet& facet) {
    double normal[3];
    facet_normal(facet, normal);
    file.write_newline();
    for (const double* vertex : facet.vertices) {
        file.write_point_line(normal_keyword, normal[0], normal[1], normal[2]);
        file.write_point_line(vertex_keyword, vertex[0], vertex[1], vertex[2]);
    }
}

int FacetLinesWriter::take_facet(const Facet& facet) {
    write_facet_lines(file_, normal_keyword_, vertex_keyword_, facet);
    return 1;
}

}  // namespace trimora

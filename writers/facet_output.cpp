// The KPF facet block writer.
#include "writers/facet_output.h"

#include "mesh/normals.h"
#include "platform/text_output.h"
#include "writers/point_records.h"

namespace trimora {

void write_facet_lines(TextOutput& file, const char* normal_keyword, const char* vertex_keyword,
                       const Facet& facet) {
    double normal[3];
    facet_normal(facet, normal);
    file.write_newline();
    for (const double* vertex : facet.vertices) {
        write_point_line(file, normal_keyword, normal[0], normal[1], normal[2]);
        write_point_line(file, vertex_keyword, vertex[0], vertex[1], vertex[2]);
    }
}

int FacetLinesWriter::take_facet(const Facet& facet) {
    write_facet_lines(file_, normal_keyword_, vertex_keyword_, facet);
    return 1;
}

}  // namespace trimora

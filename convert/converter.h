// The conversion of one STL file, ASCII or binary, into a KPF or VQ file beside it.
#pragma once

#include "writers/facet_consumer.h"

namespace trimora {

class MeshReport;
class TextOutput;

// How the facets are written: the output code and the two line keywords, and
// who receives the complete facets.
struct FacetForm {
    int output_code;
    const char* normal_keyword;
    const char* vertex_keyword;
    FacetConsumer consumer = FacetConsumer::kOutputCodeWriter;
    // Receives the figures when the consumer is the mesh report, which opens
    // and writes no output file; owned by the caller.
    MeshReport* report = nullptr;
};

// Converts the file name.stl into name.kpf (the extension is replaced at the
// first '.'), reporting on the console what it opens, every problem with its
// line number, what it closes and the facet count. Returns 1 on success, 0
// when a file cannot be opened, read or written or the last status-setting
// line reported a problem. For the mesh report the output file is neither
// named on the console nor opened, and the report gets the facet count.
int convert_stl_file(const char* name, const FacetForm& form, TextOutput& console);

}  // namespace trimora

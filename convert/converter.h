// The conversion of one STL file, ASCII or binary, into a KPF or VQ file beside it.
#pragma once

namespace trimora {

class TextOutput;

// How the facets are written: the output code and the two line keywords.
struct FacetForm {
    int output_code;
    const char* normal_keyword;
    const char* vertex_keyword;
};

// Converts the file name.stl into name.kpf (the extension is replaced at the
// first '.'), reporting on the console what it opens, every problem with its
// line number, what it closes and the facet count. Returns 1 on success, 0
// when a file cannot be opened, read or written or the last status-setting
// line reported a problem.
int convert_stl_file(const char* name, const FacetForm& form, TextOutput& console);

}  // namespace trimora

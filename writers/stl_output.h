// ASCII STL output: facets written back as STL, numbers as text that reads back to the same double.
#pragma once

#include <string>

#include "mesh/facet_sink.h"

namespace trimora {

class TextOutput;

// The text of a number in an STL file written by trimora: the shortest
// decimal that reads back as the same double; an infinity as 1e999 or
// -1e999, which read back as one; a NaN as "nan", which STL has no way to
// hold and reads back as 0. out has room for 32 characters; returns the length.
int stl_number(double value, char* out);

// Writes "solid NAME", the line that opens an ASCII STL file.
void write_stl_header(TextOutput& file, const std::string& name);

// Writes "endsolid NAME", the line that closes it.
void write_stl_trailer(TextOutput& file, const std::string& name);

// The STL form: each facet as "facet normal", "outer loop", three "vertex"
// lines, "endloop" and "endfacet", with its normal and vertices as they are.
class StlWriter final : public FacetSink {
public:
    explicit StlWriter(TextOutput& file) : file_(file) {}
    int take_facet(const Facet& facet) override;

private:
    TextOutput& file_;
};

}  // namespace trimora

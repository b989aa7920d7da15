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

// The normal to write for a facet whose normal is normal: one that an STL
// reader, dividing it by its length again, turns into a normal with the same
// six-decimal text. That is normal itself when it already does (a unit
// vector read from any mesh); a normal read back from KPF, rounded to six
// decimals, is moved onto the unit sphere within those decimals. A normal
// that is not finite, or that no unit vector rounds to, is kept as it is.
void stl_normal(const double normal[3], double out[3]);

// Writes "solid NAME", the line that opens an ASCII STL file.
void write_stl_header(TextOutput& file, const std::string& name);

// Writes "endsolid NAME", the line that closes it.
void write_stl_trailer(TextOutput& file, const std::string& name);

// The STL form: each facet as "facet normal", "outer loop", three "vertex"
// lines, "endloop" and "endfacet", with its vertices as they are and its
// normal as stl_normal gives it.
class StlWriter final : public FacetSink {
public:
    explicit StlWriter(TextOutput& file) : file_(file) {}
    int take_facet(const Facet& facet) override;

private:
    TextOutput& file_;
};

}  // namespace trimora

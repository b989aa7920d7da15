// The output codes, the KPF facet block, and the form that writes no facet.
#pragma once

#include "mesh/facet_sink.h"

namespace trimora {

class TextOutput;

// Output codes: which form the facets are written in. The two-word command
// line knows the first four; ASCII STL is the modern form's alone.
enum OutputCode : int { kNullForm = 0, kNumberForm = 1, kTextForm = 2, kWireForm = 3, kStlForm = 4 };

// Writes one KPF facet block: an empty line, then a normal line before each
// vertex line.
void write_facet_lines(TextOutput& file, const char* normal_keyword, const char* vertex_keyword,
                       const Facet& facet);

// The KPF facet form, with the TEXT ("nrml", "trng") or NUMBER ("5", "4")
// keywords; the keywords must outlive it.
class FacetLinesWriter final : public FacetSink {
public:
    FacetLinesWriter(TextOutput& file, const char* normal_keyword, const char* vertex_keyword)
        : file_(file), normal_keyword_(normal_keyword), vertex_keyword_(vertex_keyword) {}
    int take_facet(const Facet& facet) override;

private:
    TextOutput& file_;
    const char* normal_keyword_;
    const char* vertex_keyword_;
};

// The check run of the modern form's -f null: every facet is taken, none is
// written, and only the file's own problems fail the run.
class FacetChecker final : public FacetSink {
public:
    int take_facet(const Facet&) override { return 1; }
};

// The NULL form: nothing is converted, and the run must not look like a success.
class NoFacetWriter final : public FacetSink {
public:
    int take_facet(const Facet&) override { return 0; }
};

}  // namespace trimora

// The conversion of one mesh input, of any format, into a KPF, VQ or STL file, or into the mesh report.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "readers/input_kind.h"

namespace trimora {

class FacetSink;
class RunConsole;
class TextOutput;

// Who receives the complete facets of a run: the output code's writer
// (facet block, wire frame, STL or none), the wire frame of every distinct
// edge, the mesh report, which writes no file, or the check run of the
// modern form's -f null, which reads each facet and writes none.
enum class FacetConsumer : int { kOutputCodeWriter = 0, kAllEdges = 1, kMeshReport = 2, kCheck = 3 };

// The one description of a run's output: the output code, the two line
// keywords (which must outlive the run) and who receives the facets.
struct FacetForm {
    int output_code;
    const char* normal_keyword;
    const char* vertex_keyword;
    FacetConsumer consumer = FacetConsumer::kOutputCodeWriter;

    // Whether the run writes an output file; the mesh report and the check run write none.
    bool writes_file() const { return consumer != FacetConsumer::kMeshReport && consumer != FacetConsumer::kCheck; }
};

// The two ends of one conversion. A path may have any length; the names
// are printed as given.
struct MeshConversion {
    const char* input_path;
    const char* output_path;
    bool input_is_standard = false;   // read standard input; input_path only names it
    bool output_is_standard = false;  // write standard output; output_path only names it
    // Counts the input bytes read, for a progress display; may be null.
    std::atomic<std::uint64_t>* bytes_read = nullptr;
    // The mesh report that takes the facets when the form's consumer is the
    // report: no output file is opened or named. Owned by the caller.
    FacetSink* report = nullptr;
    // The bytes of a block of ASCII STL lines; 0 for the usual size. Fuzzing
    // sets small blocks to reach their edges.
    int line_block_size = 0;
    // The kind --from names: of standard input, and of names whose extension
    // tells none (decide_input_kind).
    std::optional<InputKind> from{};
    // The run of the two-word command line, whose bytes stay as they have
    // always been: the input's kind goes by its name alone (ReaderOptions),
    // an input that gives no facet is no problem, and an input that cannot be
    // read to its end still puts what it read in place of the old output,
    // which otherwise stays as it was.
    bool legacy = false;
};

// What a conversion ends with.
struct ConversionResult {
    // 1 on success; 0 when a file cannot be opened, read or written, or the
    // last facet or problem of the input was a problem.
    int status = 0;
    int nfacet = 0;
    // True when the input was opened and read to its end.
    bool read_whole = false;
    // What was read: stl-ascii, stl-binary, obj, ply-ascii, ply-binary, off,
    // 3mf or kpf, with ".gz" after it for a compressed input; empty when the
    // input could not be opened.
    std::string format;
    // The unit a 3MF model is written in; empty for the other formats.
    std::string unit;
    // The problem lines the conversion printed (RunConsole::problem).
    long problem_lines = 0;
    // Which end stopped a run that could not go on: the input or the output
    // could not be opened, or the output could not be written.
    bool input_opened = false;
    bool output_opened = false;
    bool write_failed = false;
};

// Converts the input into the output, reporting on the console what it
// opens, every problem of the input and the output, what it closes and the
// facet count. The input is never opened for writing. The facets go to the
// sink the form chooses, made for this run.
ConversionResult convert_mesh(const MeshConversion& ends, const FacetForm& form, RunConsole& console);

// The parts of an output file around its facets, as a conversion of the
// input named input_path writes them: the header ("$ File:" and the rest, or
// "solid NAME") and the trailer (the facet count, or "endsolid NAME").
void write_output_header(TextOutput& file, const FacetForm& form, const char* input_path);
void write_output_trailer(TextOutput& file, const FacetForm& form, const char* input_path, int nfacet);

// The writer of an output form, writing to file; a form that writes no file
// gets the sink that takes no facet. The modern form's wire writer sums up
// what its full line list left out in one line; the legacy one says it of
// each edge.
std::unique_ptr<FacetSink> make_facet_writer(const FacetForm& form, TextOutput& file, RunConsole& console,
                                             bool legacy = false);

// Converts the file name.stl into name.kpf (the extension is replaced at the
// first '.'), reporting on the console what it opens, every problem with its
// line number, what it closes and the facet count. Returns 1 on success, 0
// when a file cannot be opened, read or written or the last status-setting
// line reported a problem.
int convert_stl_file(const char* name, const FacetForm& form, RunConsole& console);

}  // namespace trimora

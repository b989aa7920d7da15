// The conversion of one STL file, ASCII or binary, into a KPF or VQ file beside it.
#pragma once

#include <atomic>
#include <cstdint>

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

// The two ends of one conversion. A path may have any length; the names
// are printed as given. The standard input is ASCII or binary STL, told by
// its first bytes (looks_like_binary_stl), as a pipe has no size to go by.
struct StlConversion {
    const char* input_path;
    const char* output_path;
    bool input_is_standard = false;   // read standard input; input_path only names it
    bool output_is_standard = false;  // write standard output; output_path only names it
    // Counts the input bytes read, for a progress display; may be null.
    std::atomic<std::uint64_t>* bytes_read = nullptr;
};

// Converts the input into the output, reporting on the console what it
// opens, every problem with its line number, what it closes and the facet
// count. The input is never opened for writing. Returns 1 on success, 0 when
// a file cannot be opened, read or written or the last status-setting line
// reported a problem.
int convert_stl(const StlConversion& ends, const FacetForm& form, TextOutput& console);

// Converts the file name.stl into name.kpf (the extension is replaced at the
// first '.'), reporting on the console what it opens, every problem with its
// line number, what it closes and the facet count. Returns 1 on success, 0
// when a file cannot be opened, read or written or the last status-setting
// line reported a problem. For the mesh report the output file is neither
// named on the console nor opened, and the report gets the facet count.
int convert_stl_file(const char* name, const FacetForm& form, TextOutput& console);

}  // namespace trimora

// The mesh report as text: an aligned block for people, or one JSON line for programs.
#pragma once

#include <string>

#include "report/mesh_report.h"

namespace trimora {

enum class ReportStyle { kBlock, kJsonLine };

// The report of the named file, each line ending in LF. The block has one
// line per figure, the name padded to one column; the JSON line is one object
// with "file" and the figures' names. "format" follows "file" when it is
// known, and "unit" when the format has one (3MF). Reals are the shortest text that reads
// back as the same double; JSON has no infinity or NaN, so those are null
// there and inf, -inf and nan in the block.
std::string render_report(const char* file, const MeshFigures& figures, ReportStyle style);

// The report of a file that gives no figures (it could not be opened or read
// to its end): "file", then "error" with the one-line message that says why.
std::string render_failure(const char* file, const std::string& message, ReportStyle style);

}  // namespace trimora

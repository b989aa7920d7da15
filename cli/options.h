// The options of the modern command line, one table row each, and the parse of the arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "readers/input_kind.h"
#include "writers/facet_output.h"

namespace trimora {

// What the options of one modern run ask for.
struct ModernOptions {
    int output_code = kTextForm;
    bool has_output = false;
    std::string output;         // -o: a file, a folder, or "-" for standard output
    // Of the outputs named after their inputs; empty for the form's own, kpf
    // or stl.
    std::string extension;
    // The format of standard input and of names whose extension tells none.
    std::optional<InputKind> from;
    int jobs = 0;               // 0: as many as the machine has cores
    bool recursive = false;
    bool quiet = false;
    bool no_progress = false;
    bool info = false;       // a mesh report instead of an output file
    bool json = false;       // the report as JSON Lines
    bool all_edges = false;  // the wire frame without the line list's capacity
    bool force = false;      // outputs may replace existing mesh files
    bool help = false;
    bool version = false;
    std::vector<std::string> names;
};

// The options, or the one-line reason they cannot be used.
struct ParsedOptions {
    ModernOptions options;
    std::string error;  // empty when the options are good
};

// True when any argument begins with '-' and is not "-" alone: every option,
// and "--", chooses the modern form, where an unknown one is a usage error.
// -h, --help and --version alone keep the legacy form. args excludes the
// program name.
bool is_modern_command_line(const std::vector<std::string>& args);

// Reads the options and names, before or after one another; "--" ends the
// options and "-" is a name (standard input). Long options also take their
// value as --name=value; short ones bundle and take theirs attached, as
// getopt's do: -qr, -j2, -fwire, -ofile.
ParsedOptions parse_modern_options(const std::vector<std::string>& args);

// The help lines of the options, generated from the table, LF line ends.
std::string modern_options_help();

}  // namespace trimora

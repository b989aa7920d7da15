// The tool's whole run from its command-line arguments.
#pragma once

#include "textutil/textutil.h"

namespace trimora {

class TextOutput;

// The command-line arguments and the facet form chosen from them.
struct CommandLine {
    char input_name[kTextSize] = "";
    char output_form[kTextSize] = "";
    int output_code = 0;
    char vertex_keyword[kTextSize] = "";
    char normal_keyword[kTextSize] = "";
};

// Runs the modern form when any argument is one of its options, and returns
// its exit status. Otherwise runs the legacy form, which always returns 0:
// prints the banner, then the help text when no file is named or the first
// argument is -h or --help, nothing more for --version, or else converts the
// named file in the form of the second argument and prints the error banner
// when that fails. Further arguments are ignored.
int run_command_line(int argc, const char* const* argv, TextOutput& console);

// Chooses the output code and keywords from the first word of the output-form
// argument, reports the code and runs the conversion. Returns 1 when the
// conversion succeeded, 0 otherwise.
int select_output_code(CommandLine& command, TextOutput& console);

}  // namespace trimora

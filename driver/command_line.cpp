// Banner, help text, argument capture, output form, the error banner, and the choice of form.
#include "driver/command_line.h"

#include <string>
#include <string_view>
#include <vector>

#include "cli/modern_run.h"
#include "cli/options.h"
#include "convert/converter.h"
#include "convert/identity.h"
#include "driver/output_code.h"
#include "platform/text_output.h"
#include "writers/facet_output.h"

namespace trimora {

namespace {

// One console write per line, as the help has always been printed.
constexpr const char* kHelpLines[] = {
    "%s converts an STL file into one in KPF or VQ format.\n",
    "\n",
    "An STL file consists of triangular facets over a component.\n",
    "The KPF format is used by the constraint modeller. A set of\n",
    "facets cane be read by the modeller and displayed to show\n",
    "an object as a facetted surface. This form of file can also\n",
    "be used as a shape file in conjunction with Q7 geometric\n",
    "algebra procedures. In the latter case, the file extension\n",
    "needs to be changed to shp.\n",
    "\n",
    "An option has now been added to output a wire-frame version\n",
    "of the straight edges in VQ format.\n",
    "\n",
    "After the command name, the first argument is the name of\n",
    "the STL file. The next argument (if present) is used to\n",
    "specify the form of the output.\n",
    "If the output is a KPF file with facets, it says whether\n",
    "this should use the numbers 4 and 5 to indicate trng and\n",
    "nrml command, or whether these text strings should be used\n",
    "instead (default).\n",
    "If the second argument is wire, then output is as a set of\n",
    "move and plot commands to give the edges of the shape.\n",
    "\n",
    "Usage:  trimora <filename> [text/numb/wire]\n",
};

}  // namespace

void print_banner(TextOutput& console) {
    console.print("%s - %s - %s\n", kProgramName, kVersion, kReleaseDate);
}

void print_help(TextOutput& console) {
    for (const char* line : kHelpLines) console.print(line, kProgramName);
}

int select_output_code(CommandLine& command, TextOutput& console) {
    char form[kTextSize];
    copy_text(kTextSize, form, command.output_form);
    clean_line(1, form);
    char* cursor = skip_spaces(form);
    const char* word = next_token(cursor);
    command.output_code = output_code_from_word(word);
    report_output_code(console, command.output_code);
    const FacetForm keywords = facet_form_of(command.output_code);
    copy_text(kTextSize, command.vertex_keyword, keywords.vertex_keyword);
    copy_text(kTextSize, command.normal_keyword, keywords.normal_keyword);
    const FacetForm facet_form{command.output_code, command.normal_keyword,
                               command.vertex_keyword};
    return convert_stl_file(command.input_name, facet_form, console) != 0 ? 1 : 0;
}

int run_command_line(int argc, const char* const* argv, TextOutput& console) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (is_modern_command_line(args)) return run_modern_command_line(args, console);
    print_banner(console);
    // The usual options, in the first place only; anything else names a file.
    const std::string_view first = argc > 1 ? argv[1] : "";
    if (first == "--version") return 0;
    if (argc <= 1 || first == "-h" || first == "--help") {
        print_help(console);
        return 0;
    }
    CommandLine command;
    copy_text(kTextSize, command.input_name, argv[1]);
    copy_text(kTextSize, command.output_form, argc > 2 ? argv[2] : "");
    if (select_output_code(command, console) == 0) {
        console.print("*****  An error has occurred  *****\n");
    }
    return 0;
}

}  // namespace trimora

// Argument capture, the output form, the error banner, and the choice of the legacy or modern form.
#include "driver/command_line.h"

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/modern_run.h"
#include "cli/options.h"
#include "convert/converter.h"
#include "mesh/run_console.h"
#include "platform/text_output.h"
#include "usage/tool_texts.h"
#include "writers/facet_output.h"

namespace trimora {

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
    RunConsole run_console(console);
    try {
        return convert_stl_file(command.input_name, facet_form, run_console) != 0 ? 1 : 0;
    } catch (const std::bad_alloc&) {
        // Too little memory ends the run with a message, never an abort.
        run_console.problem("Out of memory: [%s]\n", command.input_name);
        return 0;
    }
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
        // The long form also shows the options of the modern form.
        if (first == "--help") console.write(modern_options_help());
        return 0;
    }
    CommandLine command;
    copy_text(kTextSize, command.input_name, argv[1]);
    copy_text(kTextSize, command.output_form, argc > 2 ? argv[2] : "");
    if (select_output_code(command, console) == 0) print_error_banner(console);
    return 0;
}

}  // namespace trimora

// Argument capture, the output form, the error banner, and the choice of the legacy or modern form.
#include "driver/command_line.h"

#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/modern_run.h"
#include "cli/options.h"
#include "convert/converter.h"
#include "mesh/run_console.h"
#include "platform/test_fault.h"
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
    } catch (const std::exception& fault) {
        // A fault in the code, here or on a worker, ends the run the same way.
        run_console.problem("Internal error: [%s] (%s)\n", command.input_name, fault.what());
    }
    return 0;
}

namespace {

int run_form(const std::vector<std::string>& args, int argc, const char* const* argv, TextOutput& console) {
    test_fault_point("run");
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

// What escaped the run: one line and exit 1 in the modern form; in the
// legacy form, as a failed conversion: the line, the error banner, exit 0.
int end_failed_run(const std::vector<std::string>& args, TextOutput& console, const char* what) {
    if (is_modern_command_line(args)) {
        TextOutput errors(stderr, LineEnds::kConsole);
        errors.print("trimora: %s\n", what);
        return 1;
    }
    console.print("trimora: %s\n", what);
    print_error_banner(console);
    return 0;
}

}  // namespace

int run_command_line(int argc, const char* const* argv, TextOutput& console) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    try {
        return run_form(args, argc, argv, console);
    } catch (const std::bad_alloc&) {
        return end_failed_run(args, console, "out of memory");
    } catch (const std::exception& fault) {
        const std::string what = std::string("internal error: ") + fault.what();
        return end_failed_run(args, console, what.c_str());
    } catch (...) {
        return end_failed_run(args, console, "internal error");
    }
}

}  // namespace trimora

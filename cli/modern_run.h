// The whole run of the modern command line: options, inputs, outputs, jobs, exit status.
#pragma once

#include <string>
#include <vector>

namespace trimora {

class TextOutput;

// Exit statuses of the modern form.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// The command that shows the modern help, as usage errors name it.
inline constexpr const char* kModernHelpCommand = "trimora --help -q";

// Runs the modern form with the arguments after the program name; the
// console is standard output. Returns the exit status: 0 when every file
// converted without a problem, 1 when any did not or the console could not be
// written (said in one line on standard error), 2 for a usage error, which is
// one line on standard error and converts nothing.
int run_modern_command_line(const std::vector<std::string>& args, TextOutput& console);

}  // namespace trimora

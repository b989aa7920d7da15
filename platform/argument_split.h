// Splitting one command-line text into arguments by the rules of the Windows command line.
#pragma once

#include <string>
#include <vector>

namespace trimora {

// The arguments of a whole command line, the program's name first. The name runs to the first
// space or tab, or, when it starts with a double quote, to the next one; backslashes are literal
// in it. Then arguments are separated by runs of spaces or tabs outside double quotes; quotes
// group and are removed; 2n backslashes before a quote give n backslashes and the quote groups,
// 2n+1 give n backslashes and a literal quote; other backslashes are literal; two quotes inside
// a quoted part give one literal quote. Nothing else changes: no wildcard is expanded.
std::vector<std::string> split_command_line(const std::string& line);

// The text of one argument in a command line that split_command_line gives back unchanged: as it
// is when it holds no space, tab or quote and is not empty, else quoted with its quotes and the
// backslashes before them escaped.
std::string quote_argument(const std::string& argument);

}  // namespace trimora

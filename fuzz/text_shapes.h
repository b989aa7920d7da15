// Shapes of the texts the tool writes: "%lf" numbers, CR LF lines, console messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trimora::fuzz {

// True for a "%lf" text: an optional '-', digits, '.', six digits, or one of
// the texts of an infinity or a NaN.
bool is_lf_text(std::string_view text);

// Splits text into its lines, each ended by CR LF. False when a CR or LF
// stands anywhere else, or the text does not end with a line end.
bool split_crlf_lines(std::string_view text, std::vector<std::string_view>& lines);

// True when the text is a whole number with no sign and no leading zero.
bool is_count(std::string_view text);

// The line number quoted by a line-problem message, 0 for a message that
// quotes none, -1 when the line is not one of the converter's problem messages.
long problem_line_number(std::string_view line);

}  // namespace trimora::fuzz

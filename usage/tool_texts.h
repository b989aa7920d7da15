// What both command lines print about the tool: the banner, the help, the output-code words and line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "convert/converter.h"

namespace trimora {

class TextOutput;

// The banner line: program name, version and release date.
void print_banner(TextOutput& console);

// The help text of the two-word command line, one console write per line.
void print_help(TextOutput& console);

// The output code of a lower-case word: TEXT for the empty word, "text",
// "trng" and "nrml"; NUMBER for "number" and "numb"; WIRE for "wire"; NULL for
// a null pointer and for any other word.
int output_code_from_word(const char* word);

// The output code of a word of the modern form's -f: text, numb, number,
// wire, stl or null; nothing for another word.
std::optional<int> modern_output_code(std::string_view word);

// Those words, as a usage message lists them: "text, numb, ... or null".
std::string modern_form_words();

// The facet form of an output code: the keywords "5" and "4" for NUMBER,
// "nrml" and "trng" for every other code.
FacetForm facet_form_of(int output_code);

// Prints the line that names the output code, as "output_code = TEXT [2]".
void report_output_code(TextOutput& console, int output_code);

// Prints the line that ends the report of a run that failed.
void print_error_banner(TextOutput& console);

}  // namespace trimora

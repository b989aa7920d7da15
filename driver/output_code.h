// The output form chosen by the second command-line argument.
#pragma once

namespace trimora {

class TextOutput;

// The output code of a lower-case word: TEXT for the empty word, "text",
// "trng" and "nrml"; NUMBER for "number" and "numb"; WIRE for "wire"; NULL for
// a null pointer and for any other word.
int output_code_from_word(const char* word);

// Prints the line that names the output code, as "output_code = TEXT [2]".
void report_output_code(TextOutput& console, int output_code);

}  // namespace trimora

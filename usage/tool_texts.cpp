// The banner, the help text, the output-code words and the output-code line.
#include "usage/tool_texts.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "convert/identity.h"
#include "platform/text_output.h"
#include "writers/facet_output.h"

namespace trimora {

namespace {

// After the first line, which names the program: one console write per line,
// as the help has always been printed.
constexpr const char* kHelpLines[] = {
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
    console.print("%s converts an STL file into one in KPF or VQ format.\n", kProgramName);
    for (const char* line : kHelpLines) console.write(line);
}

namespace {

// Every word that names an output form, and which command line takes it.
struct FormWord {
    const char* word;
    int code;
    bool legacy;  // the second word of the two-word command line
    bool modern;  // -f WORD
};

constexpr FormWord kFormWords[] = {
    {"", kTextForm, true, false},         {"text", kTextForm, true, true},
    {"numb", kNumberForm, true, true},    {"number", kNumberForm, true, true},
    {"trng", kTextForm, true, false},     {"nrml", kTextForm, true, false},
    {"wire", kWireForm, true, true},      {"stl", kStlForm, false, true},
    {"null", kNullForm, false, true},
};

}  // namespace

int output_code_from_word(const char* word) {
    if (word == nullptr) return kNullForm;
    for (const FormWord& entry : kFormWords) {
        if (entry.legacy && std::strcmp(word, entry.word) == 0) return entry.code;
    }
    return kNullForm;
}

std::optional<int> modern_output_code(std::string_view word) {
    for (const FormWord& entry : kFormWords) {
        if (entry.modern && word == entry.word) return entry.code;
    }
    return std::nullopt;
}

std::string modern_form_words() {
    std::string words;
    for (const FormWord& entry : kFormWords) {
        if (!entry.modern) continue;
        if (!words.empty()) words += entry.code == kNullForm ? " or " : ", ";
        words += entry.word;
    }
    return words;
}

FacetForm facet_form_of(int output_code) {
    const bool numbers = output_code == kNumberForm;
    return FacetForm{output_code, numbers ? "5" : "nrml", numbers ? "4" : "trng"};
}

void report_output_code(TextOutput& console, int output_code) {
    switch (output_code) {
        case kNullForm: console.print("output_code = NULL [%d]\n", output_code); break;
        case kNumberForm: console.print("output_code = NUMBER [%d]\n", output_code); break;
        case kTextForm: console.print("output_code = TEXT [%d]\n", output_code); break;
        case kWireForm: console.print("output_code = WIRE [%d]\n", output_code); break;
        case kStlForm: console.print("output_code = STL [%d]\n", output_code); break;
        default: console.print("output_code = UNDEFINED [%d]\n", output_code); break;
    }
}

void print_error_banner(TextOutput& console) { console.print("*****  An error has occurred  *****\n"); }

}  // namespace trimora

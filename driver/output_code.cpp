// Output-code words and the output-code report line.
#include "driver/output_code.h"

#include <cstring>

#include "platform/text_output.h"
#include "writers/facet_output.h"

namespace trimora {

int output_code_from_word(const char* word) {
    if (word == nullptr) return kNullForm;
    struct Entry {
        const char* word;
        int code;
    };
    static constexpr Entry kWords[] = {
        {"", kTextForm},   {"text", kTextForm}, {"number", kNumberForm}, {"numb", kNumberForm},
        {"trng", kTextForm}, {"nrml", kTextForm}, {"wire", kWireForm},
    };
    for (const Entry& entry : kWords) {
        if (std::strcmp(word, entry.word) == 0) return entry.code;
    }
    return kNullForm;
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
        default: console.print("output_code = UNDEFINED [%d]\n", output_code); break;
    }
}

}  // namespace trimora

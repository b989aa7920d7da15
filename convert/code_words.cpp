// Classification of the first word of an STL line.
#include "convert/code_words.h"

#include <cstring>

namespace trimora {

namespace {

struct CodeWordEntry {
    const char* word;
    int value;
};

constexpr CodeWordEntry kCodeWords[] = {
    {"solid", kSolid},     {"ascii", kAscii},     {"facet", kFacet},
    {"normal", kNormal},   {"outer", kOuter},     {"loop", kLoop},
    {"vertex", kVertex},   {"endloop", kEndloop}, {"endfacet", kEndfacet},
    {"endsolid", kEndsolid},
};

}  // namespace

int classify_code_word(const char* token) {
    if (token == nullptr || token[0] == '\0') return kNoWord;
    for (const CodeWordEntry& entry : kCodeWords) {
        if (std::strcmp(token, entry.word) == 0) return entry.value;
    }
    return kUnknownWord;
}

}  // namespace trimora

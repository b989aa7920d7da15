// Classification of the first word of an STL line.
#include "readers/code_words.h"

namespace trimora {

namespace {

// Exact comparison, short enough to be inlined for the few letters of a code word.
bool is(const char* token, const char* word) {
    while (*word != '\0' && *token == *word) {
        ++token;
        ++word;
    }
    return *token == *word;
}

}  // namespace

int classify_code_word(const char* token) {
    if (token == nullptr || token[0] == '\0') return kNoWord;
    // Only the "end" words share a first letter, so one comparison decides
    // most lines.
    switch (token[0]) {
        case 's': return is(token, "solid") ? kSolid : kUnknownWord;
        case 'a': return is(token, "ascii") ? kAscii : kUnknownWord;
        case 'f': return is(token, "facet") ? kFacet : kUnknownWord;
        case 'n': return is(token, "normal") ? kNormal : kUnknownWord;
        case 'o': return is(token, "outer") ? kOuter : kUnknownWord;
        case 'l': return is(token, "loop") ? kLoop : kUnknownWord;
        case 'v': return is(token, "vertex") ? kVertex : kUnknownWord;
        case 'e':
            if (is(token, "endloop")) return kEndloop;
            if (is(token, "endfacet")) return kEndfacet;
            if (is(token, "endsolid")) return kEndsolid;
            return kUnknownWord;
        default: return kUnknownWord;
    }
}

}  // namespace trimora

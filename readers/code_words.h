// The code words that begin the lines of an ASCII STL file, and their values.
#pragma once

namespace trimora {

enum CodeWord : int {
    kNoWord = 0,
    kUnknownWord = 1,
    kSolid = 11,
    kAscii = 12,
    kFacet = 13,
    kNormal = 14,
    kOuter = 15,
    kLoop = 16,
    kVertex = 17,
    kEndloop = 18,
    kEndfacet = 19,
    kEndsolid = 20,
};

// The value of a lower-case word: 0 for a null or empty word, 1 for a word
// that is not a code word.
int classify_code_word(const char* token);

}  // namespace trimora

// The values of the STL code words.
#include "readers/code_words.h"

#include <gtest/gtest.h>

namespace trimora {
namespace {

TEST(ClassifyCodeWord, GivesEachWordItsValue) {
    const struct {
        const char* word;
        int value;
    } cases[] = {
        {nullptr, 0},     {"", 0},          {"solid", 11},    {"ascii", 12},
        {"facet", 13},    {"normal", 14},   {"outer", 15},    {"loop", 16},
        {"vertex", 17},   {"endloop", 18},  {"endfacet", 19}, {"endsolid", 20},
        {"Solid", 1},     {"facets", 1},    {"end", 1},       {"vertex1", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classify_code_word(c.word), c.value) << (c.word ? c.word : "(null)");
    }
}

}  // namespace
}  // namespace trimora

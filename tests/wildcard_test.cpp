// The * and ? matcher and the expansion of a pattern among a folder's files.
#include "cli/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_tool.h"

namespace trimora {
namespace {

struct MatchCase {
    const char* pattern;
    const char* name;
    bool matches;
};

TEST(Wildcard, MatchesStarAndQuestionMark) {
    const MatchCase cases[] = {
        {"*.stl", "part.stl", true},      {"*.stl", "part.STL", false},
        {"*.stl", ".stl", true},          {"*.stl", "part.stl.bak", false},
        {"*", "", true},                  {"*", "anything", true},
        {"", "", true},                   {"", "a", false},
        {"?", "a", true},                 {"?", "", false},
        {"?", "ab", false},               {"p?rt.stl", "part.stl", true},
        {"p?rt.stl", "prt.stl", false},   {"a*b*c", "abc", true},
        {"a*b*c", "a-b-b-c", true},       {"a*b*c", "a-b-b-c-", false},
        {"*a*", "bab", true},             {"**", "x", true},
        {"*.*.stl", "my.part.stl", true}, {"*.*.stl", "part.stl", false},
        {"part", "part", true},           {"part", "Part", false},
        {"*x", "xxxxxxxxxxxxxxxxxxxxxxxxy", false},
        {"[ab]", "a", false},             {"[ab]", "[ab]", true},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(matches_wildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
}

TEST(Wildcard, ExpandsInItsFolderSortedByName) {
    testing::TempDir dir;
    for (const char* name : {"b.stl", "a.stl", "a.txt", ".hidden.stl", "c.STL"}) {
        testing::write_file(dir / name, "");
    }
    const std::string folder = dir.path().string() + "/";
    EXPECT_EQ(expand_wildcard(folder + "*.stl"),
              (std::vector<std::string>{folder + "a.stl", folder + "b.stl"}));
    EXPECT_EQ(expand_wildcard(folder + "?.*"),
              (std::vector<std::string>{folder + "a.stl", folder + "a.txt", folder + "b.stl",
                                        folder + "c.STL"}));
    EXPECT_EQ(expand_wildcard(folder + ".*.stl"), (std::vector<std::string>{folder + ".hidden.stl"}));
    EXPECT_TRUE(expand_wildcard(folder + "*.obj").empty());
    EXPECT_TRUE(expand_wildcard(folder + "absent/*.stl").empty());
}

}  // namespace
}  // namespace trimora

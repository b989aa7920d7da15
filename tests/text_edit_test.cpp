// Bounded copy and append, extension replacement, line cleaning and space splitting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textutil/textutil.h"

namespace trimora {
namespace {

TEST(CopyText, CutsAtTheCapacity) {
    char buffer[kTextSize];
    const std::string source(200, 'a');
    EXPECT_EQ(copy_text(kTextSize, buffer, source.c_str()), 127);
    EXPECT_EQ(std::string(buffer), std::string(127, 'a'));
    EXPECT_EQ(copy_text(kTextSize, buffer, nullptr), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(copy_text(1, buffer, "abc"), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(copy_text(4, buffer, "abc"), 3);
    EXPECT_STREQ(buffer, "abc");
}

TEST(AppendText, WritesFromThePositionOn) {
    char buffer[kTextSize] = "ab";
    EXPECT_EQ(append_text(-1, kTextSize, buffer, "cd"), 4);
    EXPECT_STREQ(buffer, "abcd");
    char inside[kTextSize] = "abc";
    EXPECT_EQ(append_text(1, kTextSize, inside, "X"), 2);
    EXPECT_STREQ(inside, "aX");
    char full[4] = "abc";
    EXPECT_EQ(append_text(3, 4, full, "more"), 3);
    EXPECT_STREQ(full, "abc");
    EXPECT_EQ(append_text(-1, 4, full, nullptr), 3);
}

struct ExtensionCase {
    std::string name;
    const char* extension;
    std::string result;
    int end;
};

TEST(ReplaceExtension, ReplacesFromTheFirstDot) {
    const std::vector<ExtensionCase> cases = {
        {"part", "stl", "part.stl", 8},
        {"PART.STL", "stl", "PART.stl", 8},
        {"part.old.stl", "kpf", "part.kpf", 8},
        {"dir.old/part.stl", "kpf", "dir.kpf", 7},
        {"./part.stl", "kpf", ".kpf", 4},
        {"part", "", "part.", 5},
        {"part.stl", nullptr, "part", 4},
        {"", "stl", ".stl", 4},
        {std::string(127, 'n'), "stl", std::string(127, 'n'), 127},
        {std::string(126, 'n'), "stl", std::string(126, 'n') + ".", 127},
        {std::string(125, 'n'), "stl", std::string(125, 'n') + ".s", 127},
        {std::string(123, 'n'), "stl", std::string(123, 'n') + ".stl", 127},
    };
    for (const ExtensionCase& c : cases) {
        char buffer[kTextSize];
        copy_text(kTextSize, buffer, c.name.c_str());
        EXPECT_EQ(replace_extension(kTextSize, buffer, c.extension), c.end) << c.name;
        EXPECT_EQ(std::string(buffer), c.result) << c.name;
    }
}

TEST(StripExtension, CutsAtTheFirstDotOnly) {
    char name[] = "a.b.c";
    EXPECT_EQ(strip_extension(name), 1);
    EXPECT_STREQ(name, "a");
    char plain[] = "abc";
    EXPECT_EQ(strip_extension(plain), 3);
    EXPECT_STREQ(plain, "abc");
}

TEST(CleanLine, KeepsPrintableCharactersOnly) {
    char line[kTextSize] = "  Facet\tNormal 0 0 1\r\n";
    EXPECT_EQ(clean_line(1, line), 20);
    EXPECT_STREQ(line, "  facet normal 0 0 1");
    char upper[] = "ABC";
    EXPECT_EQ(clean_line(0, upper), 3);
    EXPECT_STREQ(upper, "ABC");
    char accented[] = "caf\xe9";
    EXPECT_EQ(clean_line(0, accented), 3);
    EXPECT_STREQ(accented, "caf");
    char del[] = "\x7f";
    EXPECT_EQ(clean_line(1, del), 0);
    char symbols[] = "[Z]^_`{~}\x01\x1f";
    EXPECT_EQ(clean_line(1, symbols), 9);
    EXPECT_STREQ(symbols, "[z]^_`{~}");
    EXPECT_EQ(clean_line(1, nullptr), -1);
}

// Every byte value at every place of a long line, in both modes, as one
// byte at a time cleans it; the words of a long line are checked together.
TEST(CleanLine, EveryByteAtEveryPlaceOfALongLine) {
    for (int lower = 0; lower <= 1; ++lower) {
        for (int value = 1; value < 256; ++value) {
            for (std::size_t at = 0; at < 24; ++at) {
                std::string line = "solid MIXED case words ";
                line[at % line.size()] = static_cast<char>(value);
                std::string expected;
                for (char c : line) {
                    const auto u = static_cast<unsigned char>(c);
                    if (u == '\t') expected += ' ';
                    else if (lower != 0 && u >= 'A' && u <= 'Z') expected += static_cast<char>(u + 32);
                    else if (u >= 32 && u <= 126) expected += c;
                }
                EXPECT_EQ(clean_line(lower, line.data()), static_cast<int>(expected.size()));
                EXPECT_EQ(std::string(line.c_str()), expected) << lower << " " << value << " " << at;
            }
        }
    }
}

// The word-wide test agrees with a look at each byte, wherever the byte stands.
TEST(IsCleanLower, EveryByteAtEveryPlaceOfALine) {
    for (int value = 0; value < 256; ++value) {
        const bool clean = value >= 32 && value <= 126 && !(value >= 'A' && value <= 'Z');
        for (std::size_t at = 0; at < 24; ++at) {
            std::string line = "solid mixed case words ~";
            line[at] = static_cast<char>(value);
            for (int length = 0; length <= 24; ++length) {
                const bool inside = static_cast<int>(at) < length;
                EXPECT_EQ(is_clean_lower(line.data(), length), !inside || clean)
                    << value << " " << at << " " << length;
            }
        }
    }
}

TEST(SkipSpaces, StopsAtTheFirstOtherCharacter) {
    char spaces[] = "   ";
    EXPECT_EQ(*skip_spaces(spaces), '\0');
    EXPECT_EQ(skip_spaces(spaces), spaces + 3);
    char tab[] = " \tx";
    EXPECT_EQ(skip_spaces(tab), tab + 1);
}

std::vector<std::string> tokens_of(char* text, int calls) {
    std::vector<std::string> tokens;
    char* cursor = text;
    for (int i = 0; i < calls; ++i) tokens.emplace_back(next_token(cursor));
    return tokens;
}

TEST(NextToken, SplitsAtSpacesInPlace) {
    char line[] = "facet normal 0 0 1";
    EXPECT_EQ(tokens_of(line, 7),
              (std::vector<std::string>{"facet", "normal", "0", "0", "1", "", ""}));
    char spaced[] = "a   b  ";
    char* cursor = spaced;
    EXPECT_STREQ(next_token(cursor), "a");
    EXPECT_EQ(std::string(spaced, 7), std::string("a\0  b  ", 7));
    EXPECT_EQ(cursor, spaced + 2);
    EXPECT_STREQ(next_token(cursor), "b");
    EXPECT_STREQ(next_token(cursor), "");
    EXPECT_EQ(*cursor, '\0');
}

TEST(NextToken, EmptyTextLeavesTheCursor) {
    char empty[] = "";
    char* cursor = empty;
    EXPECT_EQ(next_token(cursor), empty);
    EXPECT_EQ(cursor, empty);
}

}  // namespace
}  // namespace trimora

// The Windows command-line splitter, on every platform.
#include "platform/argument_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trimora {
namespace {

struct Case {
    const char* line;
    std::vector<std::string> arguments;  // after the program's name
};

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    const Case cases[] = {
        {"trimora", {}},
        {"trimora   ", {}},
        {"trimora part", {"part"}},
        {"trimora part text", {"part", "text"}},
        {"trimora \t part \t\t wire \t", {"part", "wire"}},
        {"trimora \"two words\" numb", {"two words", "numb"}},
        {"trimora two\" \"words", {"two words"}},
        {"trimora \"\"", {""}},
        {"trimora \"\" wire", {"", "wire"}},
        {"trimora a\"\"b", {"ab"}},
        // Backslashes are literal unless a quote follows them.
        {"trimora a\\b c:\\dir\\part", {"a\\b", "c:\\dir\\part"}},
        {"trimora a\\\\b", {"a\\\\b"}},
        {"trimora dir\\", {"dir\\"}},
        // 2n backslashes and a quote: n backslashes, the quote groups.
        {"trimora a\\\\\"b c\"", {"a\\b c"}},
        {"trimora \"dir\\\\\" wire", {"dir\\", "wire"}},
        {"trimora a\\\\\\\\\"b c\" d", {"a\\\\b c", "d"}},
        // 2n+1 backslashes and a quote: n backslashes and a literal quote.
        {"trimora a\\\"b c", {"a\"b", "c"}},
        {"trimora a\\\\\\\"b c", {"a\\\"b", "c"}},
        {"trimora \\\"", {"\""}},
        {"trimora \"a\\\"b\" c", {"a\"b", "c"}},
        // Two quotes inside a quoted part: one literal quote, still quoted.
        {"trimora \"a\"\"b c\"", {"a\"b c"}},
        {"trimora \"\"\"\"", {"\""}},
        {"trimora \"a\"\"\" b", {"a\"", "b"}},
        // An open quote runs to the end of the line.
        {"trimora \"open quote  ", {"open quote  "}},
        // No wildcard expansion; other characters pass unchanged, UTF-8 included.
        {"trimora *.stl ?", {"*.stl", "?"}},
        {"trimora \xE6\x97\xA5\xE6\x9C\xAC", {"\xE6\x97\xA5\xE6\x9C\xAC"}},
        {"trimora a'b c", {"a'b", "c"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> expected{"trimora"};
        expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(split_command_line(c.line), expected) << c.line;
    }
}

TEST(SplitCommandLine, TakesTheProgramNameWithLiteralBackslashes) {
    const std::vector<std::string> quoted = split_command_line("\"C:\\Program Files\\trimora.exe\" part");
    EXPECT_EQ(quoted, (std::vector<std::string>{"C:\\Program Files\\trimora.exe", "part"}));
    const std::vector<std::string> plain = split_command_line("C:\\tools\\trimora.exe\\\" x");
    EXPECT_EQ(plain, (std::vector<std::string>{"C:\\tools\\trimora.exe\\\"", "x"}));
    EXPECT_EQ(split_command_line(""), (std::vector<std::string>{""}));
    EXPECT_EQ(split_command_line("\"\" a"), (std::vector<std::string>{"", "a"}));
}

TEST(QuoteArgument, GivesTextsThatSplitBackUnchanged) {
    const std::vector<std::string> arguments = {
        "part", "", " ", "two words", "a\"b", "\"", "\\", "dir\\", "dir\\\\", "a\\\"b c",
        "tab\there", "c:\\x\\y z\\", "\"\"", "*.stl", "\xE6\x97\xA5 \xE6\x9C\xAC"};
    std::string line = "trimora";
    for (const std::string& argument : arguments) {
        line += ' ';
        line += quote_argument(argument);
    }
    std::vector<std::string> expected{"trimora"};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(split_command_line(line), expected) << line;
    EXPECT_EQ(quote_argument("part"), "part");
    EXPECT_EQ(quote_argument("a b"), "\"a b\"");
    EXPECT_EQ(quote_argument("a\\\"b"), "\"a\\\\\\\"b\"");
    EXPECT_EQ(quote_argument("dir\\ x\\"), "\"dir\\ x\\\\\"");
}

}  // namespace
}  // namespace trimora

// Character search, delimited fields, character reading, name substitution and comment cutting.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "textutil/textutil.h"

namespace trimora {
namespace {

TEST(FindChar, IndexAndMissingFlag) {
    struct Case {
        const char* text;
        char c;
        int index;
        int missing;
    };
    const Case cases[] = {
        {"a=b", '=', 1, 0},   {"a=b", ':', 3, 1},  {"a=b=c", '=', 1, 0}, {"=a", '=', 0, 0},
        {"", 'x', 0, 1},      {"abc", '\0', 3, 0}, {"", '\0', 0, 0},     {"ab\xe9", '\xe9', 2, 0},
        {"aBc", 'b', 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int missing = -1;
        EXPECT_EQ(find_char(c.text, c.c, missing), c.index);
        EXPECT_EQ(missing, c.missing);
    }
}

using Fields = std::vector<std::pair<std::string, int>>;

// Every field of text and its flag, up to and including the first field that
// was not delimited; then checks that further calls give the empty text.
Fields split(const std::string& original, char delimiter) {
    std::string text = original;
    char* cursor = text.data();
    Fields fields;
    for (;;) {
        const std::string field = next_field(cursor, delimiter);
        fields.emplace_back(field, field_was_delimited());
        if (field_was_delimited() == 0) break;
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(next_field(cursor, delimiter), "");
        EXPECT_EQ(field_was_delimited(), 0);
        EXPECT_EQ(*cursor, '\0');
    }
    return fields;
}

TEST(NextField, SplitsAtTheDelimiter) {
    struct Case {
        const char* text;
        char delimiter;
        Fields fields;
    };
    const Case cases[] = {
        {"a, b,,c", ',', {{"a", 1}, {"b", 1}, {"", 1}, {"c", 0}}},
        {"a ,b", ',', {{"a ", 1}, {"b", 0}}},
        {"a,", ',', {{"a", 1}, {"", 0}}},
        {",x", ',', {{"", 1}, {"x", 0}}},
        {"  a b , c", ',', {{"a b ", 1}, {"c", 0}}},
        {"", ',', {{"", 0}}},
        {"   ", ',', {{"", 0}}},
        {"a,b", '\0', {{"a,b", 0}}},
        {"k=v;w", '=', {{"k", 1}, {"v;w", 0}}},
        {"\tx|", '|', {{"\tx", 1}, {"", 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(split(c.text, c.delimiter), c.fields);
    }
}

TEST(NextField, SpaceDelimiterSplitsAsNextToken) {
    for (const char* original : {"facet normal 0 0 1", "a   b  ", "  x", ""}) {
        SCOPED_TRACE(original);
        std::string by_field = original;
        std::string by_token = original;
        char* field_cursor = by_field.data();
        char* token_cursor = by_token.data();
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(std::string(next_field(field_cursor, ' ')), next_token(token_cursor));
            EXPECT_EQ(field_cursor - by_field.data(), token_cursor - by_token.data());
        }
        EXPECT_EQ(by_field, by_token);
    }
}

TEST(NextField, CutsInPlace) {
    char text[] = "ab,cd";
    char* cursor = text;
    char* first = next_field(cursor, ',');
    EXPECT_EQ(first, text);
    EXPECT_EQ(cursor, text + 3);
    EXPECT_EQ(text[2], '\0');
    EXPECT_EQ(next_field(cursor, ','), text + 3);
    EXPECT_EQ(cursor, text + 5);
}

TEST(NextField, FlagIsDecidedAnewByEachCall) {
    char text[] = "a,b";
    char* cursor = text;
    next_field(cursor, ',');
    EXPECT_EQ(field_was_delimited(), 1);
    EXPECT_EQ(field_was_delimited(), 1);
    next_field(cursor, ',');
    EXPECT_EQ(field_was_delimited(), 0);
}

TEST(NextChar, SkipsSpacesAndReadsOnly) {
    char text[] = " x y";
    char* cursor = text;
    EXPECT_EQ(next_char(cursor), 'x');
    EXPECT_EQ(cursor, text + 2);
    EXPECT_EQ(next_char(cursor), 'y');
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(next_char(cursor), 0);
        EXPECT_EQ(cursor, text + 4);
    }
    EXPECT_STREQ(text, " x y");
}

TEST(NextChar, HighBytesComeBackNegative) {
    char text[] = "\xe9 \x7f\xff\t";
    char* cursor = text;
    EXPECT_EQ(next_char(cursor), -23);
    EXPECT_EQ(next_char(cursor), 127);
    EXPECT_EQ(next_char(cursor), -1);
    EXPECT_EQ(next_char(cursor), '\t');
    EXPECT_EQ(next_char(cursor), 0);
}

TEST(NextChar, EndAndNullCursor) {
    char spaces[] = "   ";
    char* cursor = spaces;
    EXPECT_EQ(next_char(cursor), 0);
    EXPECT_EQ(cursor, spaces + 3);
    char* none = nullptr;
    EXPECT_EQ(next_char(none), 0);
    EXPECT_EQ(none, nullptr);
}

const char* const kNames[] = {"n", "m", "b", "a1", "", "n"};
const char* const kValues[] = {"12", "q", "1", "A", "<empty>", "second"};
constexpr int kCount = 6;

struct SubstituteCase {
    const char* text;
    const char* result;
    int handled;
};

TEST(SubstituteFields, ReplacesBracketedNames) {
    const SubstituteCase cases[] = {
        {"v{n}w{m}", "v12wq", 2},
        {"v{z}w", "vw", 1},
        {"v{n", "v{n", 0},
        {"plain", "plain", 0},
        {"", "", 0},
        {"x{a{b}}y", "xAy", 2},
        {"{N}", "", 1},
        {"{}", "<empty>", 1},
        {"{{n}", "{12", 1},
        {"{n}{m}{n}", "12q12", 3},
        // A close with no open before it is plain text.
        {"a}b{n}c", "a}b12c", 1},
        {"a}b", "a}b", 0},
        {"}{n}", "}12", 1},
        {"{n}}", "12}", 1},
        {"}}{", "}}{", 0},
    };
    for (const SubstituteCase& c : cases) {
        SCOPED_TRACE(c.text);
        char text[kTextSize];
        copy_text(kTextSize, text, c.text);
        EXPECT_EQ(substitute_fields(kTextSize, text, '{', '}', kCount, kNames, kValues), c.handled);
        EXPECT_STREQ(text, c.result);
    }
}

TEST(SubstituteFields, FirstEqualNameWins) {
    char text[kTextSize] = "<n>";
    EXPECT_EQ(substitute_fields(kTextSize, text, '<', '>', kCount, kNames, kValues), 1);
    EXPECT_STREQ(text, "12");
    // Only count entries are searched.
    char unknown[kTextSize] = "[m]";
    EXPECT_EQ(substitute_fields(kTextSize, unknown, '[', ']', 1, kNames, kValues), 1);
    EXPECT_STREQ(unknown, "");
}

TEST(SubstituteFields, NullTextAndEqualBrackets) {
    EXPECT_EQ(substitute_fields(kTextSize, nullptr, '{', '}', kCount, kNames, kValues), 0);
    char text[kTextSize] = "|n|";
    EXPECT_EQ(substitute_fields(kTextSize, text, '|', '|', kCount, kNames, kValues), 0);
    EXPECT_STREQ(text, "|n|");
}

TEST(SubstituteField, HandlesTheInnermostFieldFirst) {
    char text[kTextSize] = "x{a{b}}y";
    EXPECT_EQ(substitute_field(kTextSize, text, '{', '}', kCount, kNames, kValues), 1);
    EXPECT_STREQ(text, "x{a1}y");
    EXPECT_EQ(substitute_field(kTextSize, text, '{', '}', kCount, kNames, kValues), 1);
    EXPECT_STREQ(text, "xAy");
    EXPECT_EQ(substitute_field(kTextSize, text, '{', '}', kCount, kNames, kValues), 0);
    EXPECT_STREQ(text, "xAy");
}

TEST(SubstituteField, ResultIsCutToTheCapacity) {
    const char* const names[] = {"n"};
    const char* const values[] = {"123456"};
    // Room for 7 characters: the value loses its end and the rest is gone.
    char text[8] = "ab{n}cd";
    EXPECT_EQ(substitute_field(8, text, '{', '}', 1, names, values), 1);
    EXPECT_STREQ(text, "ab12345");
    // The value fits, the rest only in part.
    char fits[9] = "a{n}bcd";
    EXPECT_EQ(substitute_field(9, fits, '{', '}', 1, names, values), 1);
    EXPECT_STREQ(fits, "a123456b");
    // Exactly len - 1 characters.
    char exact[9] = "{n}ab";
    EXPECT_EQ(substitute_field(9, exact, '{', '}', 1, names, values), 1);
    EXPECT_STREQ(exact, "123456ab");
}

TEST(SubstituteField, RestAfterTheFieldKeepsAtMost1023Characters) {
    const char* const names[] = {"n"};
    const char* const values[] = {"12"};
    for (const int rest : {1022, 1023, 1024, 1500}) {
        SCOPED_TRACE(rest);
        std::vector<char> text(4096);
        const std::string original = "{n}" + std::string(static_cast<std::size_t>(rest), 'x');
        copy_text(4096, text.data(), original.c_str());
        EXPECT_EQ(substitute_field(4096, text.data(), '{', '}', 1, names, values), 1);
        const std::size_t kept = rest < 1023 ? static_cast<std::size_t>(rest) : 1023;
        EXPECT_EQ(std::string(text.data()), "12" + std::string(kept, 'x'));
    }
}

TEST(SubstituteFields, ValuesThatBringFieldsBackEnd) {
    struct Case {
        std::vector<const char*> names;
        std::vector<const char*> values;
        int len;
        int handled;
        const char* result;
    };
    const Case cases[] = {
        {{"a"}, {"{a}"}, kTextSize, kTextSize, "{a}"},
        {{"a", "b"}, {"{b}", "{a}"}, kTextSize, kTextSize, "{a}"},
        {{"a"}, {"{a}"}, 4, 4, "{a}"},
        {{"a"}, {"{a}{a}"}, kTextSize, kTextSize, nullptr},
        // Growing until the capacity cuts the close off ends by itself.
        {{"a"}, {"x{a}"}, 16, 13, "xxxxxxxxxxxxx{a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.values[0]);
        std::vector<char> text(static_cast<std::size_t>(c.len));
        copy_text(c.len, text.data(), "{a}");
        const int count = static_cast<int>(c.names.size());
        EXPECT_EQ(substitute_fields(c.len, text.data(), '{', '}', count, c.names.data(), c.values.data()),
                  c.handled);
        if (c.result != nullptr) {
            EXPECT_STREQ(text.data(), c.result);
        }
        EXPECT_LT(std::string(text.data()).size(), static_cast<std::size_t>(c.len));
    }
}

TEST(SubstituteFields, ValuesMayHoldOtherFields) {
    const char* const names[] = {"a", "b", "c"};
    const char* const values[] = {"<{b}>", "[{c}]", "end"};
    char text[kTextSize] = "{a}{c}";
    EXPECT_EQ(substitute_fields(kTextSize, text, '{', '}', 3, names, values), 4);
    EXPECT_STREQ(text, "<[end]>end");
}

TEST(StripComment, CutsAtTheFirstDollar) {
    const std::pair<const char*, const char*> cases[] = {
        {"move 1 2 3 $ note", "move 1 2 3 "},
        {"plain text", "plain text"},
        {"$", ""},
        {"$ File: a.stl", ""},
        {"", ""},
    };
    for (const auto& [original, result] : cases) {
        SCOPED_TRACE(original);
        char text[kTextSize];
        copy_text(kTextSize, text, original);
        strip_comment(text);
        EXPECT_STREQ(text, result);
    }
    strip_comment(nullptr);
}

TEST(StripComment, OverwritesEveryDollarUpToTheEnd) {
    char text[] = "a$b$$c\0$x";
    strip_comment(text);
    const char expected[] = "a\0b\0\0c\0$x";
    EXPECT_EQ(std::string(text, sizeof text), std::string(expected, sizeof expected));
}

TEST(NextChar, ReadsAConstantText) {
    const char* cursor = " x y";
    const char* const start = cursor;
    EXPECT_EQ(next_char(cursor), 'x');
    EXPECT_EQ(cursor, start + 2);
    EXPECT_EQ(next_char(cursor), 'y');
    EXPECT_EQ(next_char(cursor), 0);
    EXPECT_EQ(cursor, start + 4);
    const char* none = nullptr;
    EXPECT_EQ(next_char(none), 0);
}

TEST(FindChar, MissingFlagByAddress) {
    int missing = -1;
    EXPECT_EQ(find_char("a=b", '=', &missing), 1);
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(find_char("a=b", ':', &missing), 3);
    EXPECT_EQ(missing, 1);
    EXPECT_EQ(find_char("a=b", ':', nullptr), 3);
}

}  // namespace
}  // namespace trimora

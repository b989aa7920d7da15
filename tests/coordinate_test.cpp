// Coordinates of STL lines.
#include "readers/coordinate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "textutil/textutil.h"

namespace trimora {
namespace {

TEST(ParseCoordinate, ReadsTokensAsNumbers) {
    EXPECT_EQ(parse_coordinate("1d2"), 100.0);
    EXPECT_EQ(parse_coordinate("2.5e-1"), 0.25);
    EXPECT_EQ(parse_coordinate("3abc"), 3.0);
    EXPECT_EQ(parse_coordinate("nan"), 0.0);
    EXPECT_EQ(parse_coordinate(""), 0.0);
    EXPECT_TRUE(std::signbit(parse_coordinate("-0")));
}

// Reading in place must give what cutting the token first gives, and leave
// the text and cursor as next_token leaves them.
TEST(NextCoordinate, ReadsLikeParseCoordinateOfNextToken) {
    const char* lines[] = {"1.5 -2e3 7", "3abc  4,5 x", "  .5e+ 1e999 -0", "", "   ",
                           "1e2e3 - 5", "12345678901234567890123 0.1d-2"};
    for (const char* text : lines) {
        std::string fused(text), split(text);
        char* fused_cursor = fused.data();
        char* split_cursor = split.data();
        for (int i = 0; i < 4; ++i) {
            const double expected = parse_coordinate(next_token(split_cursor));
            const double actual = next_coordinate(fused_cursor);
            EXPECT_EQ(std::signbit(actual), std::signbit(expected)) << text;
            EXPECT_EQ(actual, expected) << text;
            EXPECT_EQ(fused_cursor - fused.data(), split_cursor - split.data()) << text;
        }
        EXPECT_EQ(fused, split) << text;
    }
}

}  // namespace
}  // namespace trimora

// Coordinates and normal lengths of STL lines.
#include "convert/coordinate.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(VectorLength, IsTheSquareRootOfTheSumOfSquares) {
    EXPECT_EQ(vector_length(0, 0, -2), 2.0);
    EXPECT_EQ(vector_length(3, 4, 0), 5.0);
    EXPECT_TRUE(std::isinf(vector_length(1e200, 0, 0)));
    EXPECT_EQ(vector_length(0, 0, 0), 0.0);
}

}  // namespace
}  // namespace trimora

// The counts of facets and lines.
#include "mesh/facet.h"

#include <gtest/gtest.h>

#include <climits>

namespace trimora {
namespace {

TEST(CountOne, WrapsLikeA32BitCounter) {
    int counter = INT_MAX - 1;
    count_one(counter);
    EXPECT_EQ(counter, INT_MAX);
    count_one(counter);
    EXPECT_EQ(counter, INT_MIN);
}

}  // namespace
}  // namespace trimora

// Unit normals of vectors and of facets' vertices.
#include "mesh/normals.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "mesh/facet.h"
#include "platform/nan_rules.h"

namespace trimora {
namespace {

TEST(VectorLength, IsTheSquareRootOfTheSumOfSquares) {
    EXPECT_EQ(vector_length(0, 0, -2), 2.0);
    EXPECT_EQ(vector_length(3, 4, 0), 5.0);
    EXPECT_TRUE(std::isinf(vector_length(1e200, 0, 0)));
    EXPECT_EQ(vector_length(0, 0, 0), 0.0);
}

// A facet's own normal is written as it is; one without gets its vertices',
// and three vertices in line give the NaN of 0/0 in each component.
TEST(FacetNormal, IsTheFacetsOwnOrItsVertices) {
    struct Case {
        const char* name;
        Facet facet;
        double want[3];
    };
    const double nan = nan_rules::kIndefinite;
    const Case cases[] = {
        {"own normal, not made unit here", {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 3, 4}, true}, {0, 3, 4}},
        {"counter-clockwise from +z", {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {9, 9, 9}, false}, {0, 0, 1}},
        {"tilted", {{{0, 0, 0}, {1, 0, 0}, {0, -4, 3}}, {}, false}, {0, -0.6, -0.8}},
        {"in line", {{{0, 0, 0}, {0, 0, 5}, {0, 0, 10}}, {}, false}, {nan, nan, nan}},
    };
    for (const Case& c : cases) {
        double got[3];
        facet_normal(c.facet, got);
        for (int axis = 0; axis < 3; ++axis) {
            if (std::isnan(c.want[axis])) {
                EXPECT_EQ(std::bit_cast<std::uint64_t>(got[axis]), std::bit_cast<std::uint64_t>(c.want[axis]))
                    << c.name;
            } else {
                EXPECT_EQ(got[axis], c.want[axis]) << c.name;
            }
        }
    }
}

}  // namespace
}  // namespace trimora

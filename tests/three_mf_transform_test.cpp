// 3MF transforms: reading the twelve numbers, the row-vector convention, composition, exact identity.
#include "readers/three_mf_transform.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/nan_rules.h"

namespace trimora {
namespace {

struct ParseCase {
    const char* text;
    bool read;
    bool identity;
};

TEST(ThreeMfTransform, ReadsExactlyTwelveNumbers) {
    const ParseCase cases[] = {
        {"1 0 0 0 1 0 0 0 1 0 0 0", true, true},
        {" 1 0 0  0 1 0\t0 0 1 0 0 -0 ", true, true},
        {"1e0 0 0 0 1 0 0 0 1.0 0 0 0", true, true},
        {"1 0 0 0 1 0 0 0 1 0 0 1", true, false},
        {"2 0 0 0 2 0 0 0 2 0 0 0", true, false},
        {"1 0 0 0 1 0 0 0 1 0 0", false, false},
        {"1 0 0 0 1 0 0 0 1 0 0 0 0", false, false},
        {"", false, false},
    };
    for (const ParseCase& c : cases) {
        Transform transform = identity_transform();
        transform.m[0][0] = 7;
        EXPECT_EQ(parse_transform(c.text, transform), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(transform.identity, c.identity) << c.text;
        } else {
            EXPECT_EQ(transform.m[0][0], 7) << c.text;
        }
    }
}

std::string point(const double p[3]) {
    return std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2]);
}

TEST(ThreeMfTransform, PointsAreRowVectorsTimesTheMatrix) {
    Transform turn;
    // A quarter turn about z, then up by 5: (x, y, z) -> (-y, x, z + 5).
    ASSERT_TRUE(parse_transform("0 1 0 -1 0 0 0 0 1 0 0 5", turn));
    Transform scale;
    ASSERT_TRUE(parse_transform("2 0 0 0 2 0 0 0 2 1 0 0", scale));
    const double p[3] = {1, 2, 3};
    double out[3];
    apply_transform(turn, p, out);
    EXPECT_EQ(point(out), "-2.000000 1.000000 8.000000");
    // Scale first, then turn: (1,2,3) -> (3,4,6) -> (-4,3,11).
    apply_transform(compose_transforms(scale, turn), p, out);
    EXPECT_EQ(point(out), "-4.000000 3.000000 11.000000");
    // Turn first, then scale: (1,2,3) -> (-2,1,8) -> (-3,2,16).
    apply_transform(compose_transforms(turn, scale), p, out);
    EXPECT_EQ(point(out), "-3.000000 2.000000 16.000000");
}

TEST(ThreeMfTransform, TheIdentityPassesPointsOnAsTheyAre) {
    const double inf = std::numeric_limits<double>::infinity();
    const double p[3] = {-0.0, inf, std::nan("")};
    double out[3];
    const Transform identity = identity_transform();
    apply_transform(identity, p, out);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(out[0]), std::bit_cast<std::uint64_t>(-0.0));
    EXPECT_EQ(out[1], inf);
    EXPECT_TRUE(std::isnan(out[2]));
    Transform shift;
    ASSERT_TRUE(parse_transform("1 0 0 0 1 0 0 0 1 0 0 1", shift));
    EXPECT_FALSE(compose_transforms(identity, shift).identity);
    EXPECT_TRUE(compose_transforms(identity, identity).identity);
    // Through a real matrix, 0 * inf is the x86 NaN on every processor.
    apply_transform(shift, p, out);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(out[0]), std::bit_cast<std::uint64_t>(nan_rules::kIndefinite));
}

}  // namespace
}  // namespace trimora

// The shared edge set: point equality, edge direction, use counts, growth.
#include "mesh/edge_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <utility>

namespace trimora {
namespace {

TEST(EdgeSet, PointsAreEqualExactlyAsDoubles) {
    EdgeSet set;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        double x, y, z;
        std::uint32_t id;
    };
    const Row rows[] = {
        {0, 0, 0, 0},
        {-0.0, 0, -0.0, 0},                        // -0.0 equals 0.0
        {1e-7, 0, 0, 1},                           // differs beyond six decimals
        {std::nextafter(0.0, 1.0), 0, 0, 2},       // the smallest step away
        {0, 0, 0, 0},
        {nan, 0, 0, 3},                            // a NaN equals nothing,
        {nan, 0, 0, 4},                            // not even itself
        {0, 0, nan, 5},
        {inf, -inf, 0, 6},                         // infinities are numbers
        {inf, -inf, -0.0, 6},
        {1e-7, 0, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.x << " " << row.y << " " << row.z);
        EXPECT_EQ(set.vertex_id(row.x, row.y, row.z), row.id);
    }
    EXPECT_EQ(set.vertex_count(), 7u);
}

// Through many growths of both tables, the answers are those of a plain map.
TEST(EdgeSet, AgreesWithAMapThroughGrowth) {
    EdgeSet set;
    std::map<std::pair<int, int>, std::uint32_t> points;
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> uses;
    std::mt19937 random(11);
    for (int n = 0; n < 200000; ++n) {
        const int i = static_cast<int>(random() % 400);
        const int j = static_cast<int>(random() % 400);
        // -0.0 stands in for 0.0 at random: the same point.
        const double x = i == 0 && (random() & 1) ? -0.0 : i * 0.5;
        const std::uint32_t id = set.vertex_id(x, j * 0.25, 1.0);
        const auto known = points.emplace(std::make_pair(i, j), id);
        ASSERT_EQ(known.first->second, id);
        if (n > 0 && n % 2 == 0) {
            const std::uint32_t other = static_cast<std::uint32_t>(random() % points.size());
            const auto key = std::minmax(id, other);
            int& expected = uses[key];
            if (expected < EdgeSet::kMaxUses) ++expected;
            ASSERT_EQ(set.add_edge_use(other, id), expected);
        }
    }
    EXPECT_EQ(set.vertex_count(), points.size());
    EXPECT_EQ(set.edge_count(), uses.size());
    EXPECT_GT(set.edge_count(), 50000u);
}

// Memory follows the distinct points and edges, not the uses.
TEST(EdgeSet, MemoryGrowsWithDistinctEdgesOnly) {
    EdgeSet set;
    for (int i = 0; i < 1000; ++i) {
        set.add_edge_use(set.vertex_id(i, 0, 0), set.vertex_id(i + 1, 0, 0));
    }
    const std::size_t bytes = set.memory_bytes();
    for (int again = 0; again < 100; ++again) {
        for (int i = 0; i < 1000; ++i) {
            set.add_edge_use(set.vertex_id(i + 1, 0, 0), set.vertex_id(i, 0, 0));
        }
    }
    EXPECT_EQ(set.memory_bytes(), bytes);
    EXPECT_EQ(set.edge_count(), 1000u);
    for (int i = 0; i < 100000; ++i) {
        set.add_edge_use(set.vertex_id(i, 1, 0), set.vertex_id(i + 1, 1, 0));
    }
    // A chain has a point per edge: 16 to 32 bytes of edge slots and 43 to
    // 85 of point slots.
    const double per_edge = static_cast<double>(set.memory_bytes()) / set.edge_count();
    EXPECT_LT(per_edge, 32.0 + 86.0);
    EXPECT_GT(per_edge, 16.0 + 42.0);
}

}  // namespace
}  // namespace trimora

// The segmented array: values kept in place across segment ends, and the room it takes.
#include "readers/segmented_array.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace trimora {
namespace {

TEST(SegmentedArray, KeepsEveryValueAcrossSegmentEnds) {
    SegmentedArray<std::uint64_t> values;
    const std::uint64_t* first = nullptr;
    for (std::uint64_t i = 0; i < 300000; ++i) {
        values.push_back(i * 2654435761u);
        if (i == 0) first = &values[0];
    }
    ASSERT_EQ(values.size(), 300000u);
    // Nothing moves as the array grows.
    EXPECT_EQ(&values[0], first);
    for (const std::uint64_t i : {0ull, 255ull, 256ull, 257ull, 767ull, 768ull, 769ull, 1791ull, 1792ull, 299999ull}) {
        EXPECT_EQ(values[i], i * 2654435761u) << i;
    }
    for (std::uint64_t i = 0; i < 300000; ++i) ASSERT_EQ(values[i], i * 2654435761u) << i;
}

struct RoomCase {
    std::size_t elements;
    std::size_t bytes;
};

TEST(SegmentedArray, TakesAtMostTwiceItsElementsPlusTheFirstSegment) {
    constexpr std::size_t kValue = sizeof(std::uint64_t);
    const RoomCase cases[] = {
        {0, 0},
        {1, 256 * kValue},
        {256, 256 * kValue},
        {257, 768 * kValue},
        {768, 768 * kValue},
        {769, 1792 * kValue},
        {1792, 1792 * kValue},
    };
    for (const RoomCase& c : cases) {
        SegmentedArray<std::uint64_t> values;
        for (std::size_t i = 0; i < c.elements; ++i) values.push_back(i);
        EXPECT_EQ(values.bytes_held(), c.bytes) << c.elements;
        EXPECT_LE(values.bytes_held(), 2 * kValue * c.elements + 256 * kValue);
    }
    SegmentedArray<std::uint64_t> values;
    values.push_back(1);
    values.clear();
    EXPECT_EQ(values.size(), 0u);
    EXPECT_EQ(values.bytes_held(), 0u);
}

TEST(SegmentedArray, AnIndexPastTheSizeStopsTheProgram) {
    SegmentedArray<int> values;
    values.push_back(1);
    values.push_back(2);
    EXPECT_EQ(values[1], 2);
    // Index 2 lies inside the first segment, where nothing was written.
    EXPECT_DEATH(static_cast<void>(values[2]), "");
}

}  // namespace
}  // namespace trimora

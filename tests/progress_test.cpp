// The progress text: percent, speed and time left.
#include "cli/progress.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace trimora {
namespace {

TEST(Progress, TextGivesPercentSpeedAndTimeLeft) {
    const std::uint64_t mb = 1 << 20;
    EXPECT_EQ(progress_text("big.stl", 0, 20 * mb, 0.0), "big.stl    0%  -- MB/s  --:-- left");
    EXPECT_EQ(progress_text("big.stl", 10 * mb, 20 * mb, 2.0), "big.stl   50%  5.0 MB/s  0:02 left");
    EXPECT_EQ(progress_text("b", 1 * mb, 601 * mb, 1.0), "b    0%  1.0 MB/s  10:00 left");
    EXPECT_EQ(progress_text("b", 30 * mb, 20 * mb, 1.0), "b  100%  20.0 MB/s  0:00 left");
}

}  // namespace
}  // namespace trimora

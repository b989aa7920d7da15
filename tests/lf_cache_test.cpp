// The memory of "%lf" texts gives exactly the texts of the formatter.
#include "platform/lf_cache.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "platform/format_lf.h"

namespace trimora {
namespace {

std::string direct(double value) {
    char out[kLfBufferSize];
    return std::string(out, static_cast<std::size_t>(format_lf(value, out)));
}

std::string cached(LfCache& cache, double value) {
    char out[kLfBufferSize];
    const int size = cache.format(value, out);
    EXPECT_EQ(out[size], '\0');
    return std::string(out, static_cast<std::size_t>(size));
}

TEST(LfCache, KeepsEveryValueApart) {
    auto cache = std::make_unique<LfCache>();
    const double values[] = {0.0,  -0.0, 1e-300, -1e-300, 1.5,  -1.5,  1e300,
                             std::numeric_limits<double>::infinity(),
                             std::bit_cast<double>(std::uint64_t{0xFFF8000000000000}),
                             std::bit_cast<double>(std::uint64_t{0x7FF8000000000000})};
    for (int round = 0; round < 3; ++round) {
        for (double v : values) EXPECT_EQ(cached(*cache, v), direct(v));
    }
}

TEST(LfCache, AgreesWithTheFormatterUnderCollisions) {
    auto cache = std::make_unique<LfCache>();
    std::mt19937_64 random(11);
    // Few distinct values repeat often; many more collide in the slots.
    std::uniform_int_distribution<int> pick(0, 99999);
    for (int i = 0; i < 300000; ++i) {
        const double v = (pick(random) - 50000) / 128.0 + (i % 7 == 0 ? 1e9 : 0.0);
        ASSERT_EQ(cached(*cache, v), direct(v)) << v;
    }
}

// A cache given back by one file and taken by the next is the same memory,
// and what it remembers from the first file is still the formatter's text.
TEST(LfCache, KeptFromOneFileForTheNext) {
    std::unique_ptr<LfCache> first = LfCache::take();
    EXPECT_EQ(cached(*first, 2.5), direct(2.5));
    const LfCache* address = first.get();
    LfCache::give_back(std::move(first));
    std::unique_ptr<LfCache> next = LfCache::take();
    EXPECT_EQ(next.get(), address);
    EXPECT_EQ(cached(*next, 2.5), direct(2.5));
    EXPECT_EQ(cached(*next, -0.0), direct(-0.0));
    LfCache::give_back(std::move(next));
}

}  // namespace
}  // namespace trimora

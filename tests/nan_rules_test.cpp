// NaN results of the normal arithmetic: the same bits on every processor.
#include "platform/nan_rules.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

#include "readers/coordinate.h"

namespace trimora {
namespace {

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }
double from_bits(std::uint64_t value) { return std::bit_cast<double>(value); }

constexpr std::uint64_t kIndefiniteBits = 0xFFF8000000000000;
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kPlusNan = from_bits(0x7FF8000000000001);   // quiet, positive, with a payload
const double kMinusNan = from_bits(0xFFF8000000000002);  // quiet, negative, with a payload
const double kSignalling = from_bits(0x7FF0000000000003);

struct Case {
    const char* what;
    double result;
    std::uint64_t expected;
};

TEST(NanRules, GiveTheX86BitsOnEveryProcessor) {
    using namespace nan_rules;
    const Case cases[] = {
        {"0 / 0", divide(0.0, 0.0), kIndefiniteBits},
        {"-0 / 0", divide(-0.0, 0.0), kIndefiniteBits},
        {"inf / -inf", divide(kInf, -kInf), kIndefiniteBits},
        {"inf - inf", subtract(kInf, kInf), kIndefiniteBits},
        {"inf + -inf", add(kInf, -kInf), kIndefiniteBits},
        {"0 * inf", multiply(0.0, kInf), kIndefiniteBits},
        {"sqrt(-1)", square_root(-1.0), kIndefiniteBits},
        {"nan + 1", add(kPlusNan, 1.0), bits(kPlusNan)},
        {"1 - nan", subtract(1.0, kMinusNan), bits(kMinusNan)},
        {"first nan first", multiply(kMinusNan, kPlusNan), bits(kMinusNan)},
        {"first nan first, swapped", multiply(kPlusNan, kMinusNan), bits(kPlusNan)},
        {"signalling nan is quieted", divide(kSignalling, 2.0), 0x7FF8000000000003},
        {"sqrt(nan)", square_root(kMinusNan), bits(kMinusNan)},
        {"1 / 0", divide(1.0, 0.0), bits(kInf)},
        {"-1 / 0", divide(-1.0, 0.0), bits(-kInf)},
        {"0.1 + 0.2", add(0.1, 0.2), bits(0.30000000000000004)},
        {"3 * -0", multiply(3.0, -0.0), bits(-0.0)},
        {"sqrt(2)", square_root(2.0), bits(1.4142135623730951)},
        {"sqrt(-0)", square_root(-0.0), bits(-0.0)},
    };
    for (const Case& c : cases) EXPECT_EQ(bits(c.result), c.expected) << c.what;
}

}  // namespace
}  // namespace trimora

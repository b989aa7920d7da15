// Number reading: the accepted prefix, exponents after d or e, range limits, exact rounding.
#include "platform/text_to_double.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace trimora {
namespace {

// Compares bit patterns, so that -0.0 and 0.0 differ.
void expect_same(double actual, double expected, const std::string& text) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected))
        << text << ": " << actual << " vs " << expected;
}

TEST(TextToDouble, ReadsTheAcceptedPrefix) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::string text;
        double value;
    } cases[] = {
        {"1d2", 100.0},          {"2.5E-1", 0.25},        {"7", 7.0},
        {"3abc", 3.0},           {"nan", 0.0},            {"inf", 0.0},
        {"-0", -0.0},            {"+0", 0.0},             {".", 0.0},
        {"e5", 0.0},             {"-", 0.0},              {"", 0.0},
        {"+.5", 0.5},            {"5.", 5.0},             {"-.25", -0.25},
        {"1.5+3", 1.5},          {"2e", 2.0},             {"2e+", 2.0},
        {"2d-", 2.0},            {"1,5", 1.0},            {"0x10", 0.0},
        {"1.2.3", 1.2},          {"1e999", inf},          {"-1D999", -inf},
        {"1e-999", 0.0},         {"-1e-999", -0.0},       {" \t\r\n\v\f7", 7.0},
        {"--1", 0.0},            {"1e99999999999999999999", inf},
        {"1e-99999999999999999999", 0.0},                 {"0e99999", 0.0},
        {"000.000e-5", 0.0},     {"1E+2", 100.0},         {"12.5d+01", 125.0},
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"2.4703282292062328e-324", 4.9406564584124654e-324},
        {"2.4703282292062327e-324", 0.0},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"1.7976931348623159e308", inf},
        {"9007199254740993", 9007199254740992.0},
        {"0.1", 0.1},            {"123456789012345678", 123456789012345678.0},
        {"1" + std::string(300, '0'), 1e300},
        {"0." + std::string(400, '0') + "1", 0.0},
        {"0." + std::string(300, '0') + "1", 1e-301},
        {std::string(400, '9') + "e-400", 1.0},
    };
    for (const auto& c : cases) expect_same(text_to_double(c.text.c_str()), c.value, c.text);
}

// Random decimal texts, read by the host's correctly rounded strtod in the
// "C" locale as the reference.
TEST(TextToDouble, IsCorrectlyRounded) {
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        if (random() % 2) text += '-';
        const int digits = 1 + static_cast<int>(random() % 25);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        const bool exponent = random() % 2;
        if (exponent) {
            text += 'e';
            text += std::to_string(static_cast<int>(random() % 700) - 350);
        }
        const double expected = std::strtod(text.c_str(), nullptr);
        expect_same(text_to_double(text.c_str()), expected, text);
        if (exponent) {
            std::string with_d = text;
            with_d[with_d.find('e')] = 'd';
            expect_same(text_to_double(with_d.c_str()), expected, with_d);
        }
    }
}

TEST(TextToDouble, EndStandsAfterTheNumber) {
    const struct {
        const char* text;
        int end;
    } cases[] = {
        {"1.5+3", 3}, {"  -2e5x", 6}, {"2e", 1}, {"2e+", 1}, {"3d-2,", 4},
        {"abc", 0},   {" -.", 0},     {".5.", 2}, {"", 0},   {"7", 1},
    };
    for (const auto& c : cases) {
        const char* end = nullptr;
        text_to_double(c.text, &end);
        EXPECT_EQ(end - c.text, c.end) << c.text;
    }
}

}  // namespace
}  // namespace trimora

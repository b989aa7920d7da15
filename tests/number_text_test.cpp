// Strict number reading: statuses, exponents, whole numbers, the error flag, no locale.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstring>
#include <string>

#include "textutil/textutil.h"

namespace trimora {
namespace {

// A writable copy of a text, for the readers that cut it while they work.
class Buffer {
public:
    explicit Buffer(const std::string& text) : text_(text) {}
    char* data() { return text_.data(); }
    std::string text() const { return std::string(text_.c_str()); }

private:
    std::string text_;
};

double exponential_route(int n) {
    const double ln10 = std::log(10.0);
    return std::exp(ln10 * n);
}

struct NumberCase {
    const char* text;
    double value;
    int status;
};

constexpr NumberCase kPlainCases[] = {
    {"12.5", 12.5, 0},  {"-0.25", -0.25, 0}, {"+3", 3.0, 0},      {"1.", 1.0, 0},
    {".5", 0.5, 0},     {"007", 7.0, 0},     {"0.1", 0.1, 0},     {"-.5", -0.5, 0},
    {"+", 0.0, 0},      {"-", 0.0, 0},       {".", 0.0, 0},       {"-.", 0.0, 0},
    {"", 0.0, 1},       {"1.2.3", 0.0, 2},   {"1-2", 0.0, 2},     {" 12", 0.0, 2},
    {"12 ", 0.0, 2},    {"1,5", 0.0, 2},     {"0x10", 0.0, 2},    {"inf", 0.0, 2},
    {"nan", 0.0, 2},    {"1e5", 0.0, 2},     {"2D1", 0.0, 2},     {"\t1", 0.0, 2},
    {"++1", 0.0, 2},    {"1+", 0.0, 2},      {"1/2", 0.0, 2},     {"1\x80", 0.0, 2},
    {"123456789012345678901234567890", 1.2345678901234568e29, 0},
};

TEST(ParsePlainNumber, AcceptsOnlyPlainDecimals) {
    for (const NumberCase& c : kPlainCases) {
        SCOPED_TRACE(c.text);
        int status = -1;
        EXPECT_EQ(parse_plain_number(c.text, status), c.value);
        EXPECT_EQ(status, c.status);
    }
}

TEST(ParsePlainNumber, NullIsEmpty) {
    int status = -1;
    EXPECT_EQ(parse_plain_number(nullptr, status), 0.0);
    EXPECT_EQ(status, 1);
}

TEST(ParsePlainNumber, KeepsTheSignOfZero) {
    int status = -1;
    EXPECT_TRUE(std::signbit(parse_plain_number("-0", status)));
    EXPECT_FALSE(std::signbit(parse_plain_number("0", status)));
    EXPECT_FALSE(std::signbit(parse_plain_number("-.", status)));
}

TEST(PowerOfTen, TableFromMinusNineToNine) {
    constexpr double kExpected[] = {1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1.0,
                                    1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9};
    for (int n = -9; n <= 9; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(power_of_ten(n), kExpected[n + 9]);
    }
}

TEST(PowerOfTen, ExponentialRouteOutsideTheTable) {
    for (int n : {10, -10, 11, 25, -25, 100, 308, -300}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(power_of_ten(n), exponential_route(n));
        EXPECT_NEAR(power_of_ten(n) / std::pow(10.0, n), 1.0, 1e-12);
    }
    EXPECT_EQ(power_of_ten(400), HUGE_VAL);
    EXPECT_EQ(power_of_ten(INT_MAX), HUGE_VAL);
    EXPECT_EQ(power_of_ten(-400), 0.0);
    EXPECT_EQ(power_of_ten(INT_MIN), 0.0);
}

constexpr NumberCase kExponentCases[] = {
    {"1.5e3", 1500.0, 0},  {"2D-2", 0.02, 0},    {"3E2.4", 300.0, 0},  {"-1.5E+2", -150.0, 0},
    {"1d9", 1e9, 0},       {"1e-9", 1e-9, 0},    {"1e2.5", 1000.0, 0}, {"1e-2.5", 0.01, 0},
    {"1e", 1.0, 1},        {"e5", 0.0, 1},       {"E", 0.0, 1},        {"1e-", 1.0, 0},
    {"1e5x", 1.0, 2},      {"x1e5", 0.0, 2},     {"xey", 0.0, 2},      {"1e 2", 1.0, 2},
    {"1e999", HUGE_VAL, 0}, {"-1e999", -HUGE_VAL, 0}, {"1e-999", 0.0, 0}, {"1e2e1e999", HUGE_VAL, 0},
    {"0e999", 0.0, 0},     {"1e2e", 100.0, 1},   {"1ee2", 1.0, 1},     {"1e2ex", 100.0, 2},
};

TEST(ParseNumber, ReadsTheExponentAsAWholeNumber) {
    for (const NumberCase& c : kExponentCases) {
        SCOPED_TRACE(c.text);
        Buffer text(c.text);
        int status = -1;
        EXPECT_DOUBLE_EQ(parse_number(text.data(), status), c.value);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(text.text(), c.text);
    }
}

TEST(ParseNumber, PlainTextsReadAsPlainNumbers) {
    for (const NumberCase& c : kPlainCases) {
        if (std::strpbrk(c.text, "DEde") != nullptr) continue;
        SCOPED_TRACE(c.text);
        Buffer text(c.text);
        int status = -1;
        EXPECT_EQ(parse_number(text.data(), status), c.value);
        EXPECT_EQ(status, c.status);
    }
}

TEST(ParseNumber, LargeExponentsTakeTheExponentialRoute) {
    int status = -1;
    Buffer e25("1e25");
    EXPECT_EQ(parse_number(e25.data(), status), exponential_route(25));
    EXPECT_EQ(status, 0);
    // The exponent text '2e1' is 20.
    Buffer chain("1e2e1");
    EXPECT_EQ(parse_number(chain.data(), status), exponential_route(20));
    EXPECT_NEAR(parse_number(chain.data(), status) / 1e20, 1.0, 1e-12);
    Buffer ten("3D10");
    EXPECT_EQ(parse_number(ten.data(), status), exponential_route(10) * 3.0);
}

TEST(ParseNumber, PutsEveryLetterBack) {
    for (const char* original : {"1e2", "1E2", "1d2", "1D2", "1e2E1", "2d1D0e1", "e", "de", "x1e5"}) {
        SCOPED_TRACE(original);
        Buffer text(original);
        int status = -1;
        parse_number(text.data(), status);
        EXPECT_EQ(text.text(), original);
    }
}

TEST(ParseNumber, ZeroMantissaStaysZeroUnderAnInfinitePower) {
    int status = -1;
    Buffer negative("-0e999");
    const double value = parse_number(negative.data(), status);
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(std::signbit(value));
    EXPECT_EQ(status, 0);
}

TEST(ParseNumber, LongChainOfExponentsNeedsNoDeepStack) {
    // 1e1e1...e1: the exponents grow until they saturate, then infinity.
    std::string chain = "1";
    for (int i = 0; i < 200000; ++i) chain += "e1";
    Buffer text(chain);
    int status = -1;
    EXPECT_EQ(parse_number(text.data(), status), HUGE_VAL);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text.text(), chain);
}

struct WholeCase {
    const char* text;
    int value;
    int status;
};

// A mantissa beyond the double range under a power that underflows: inf * 0.
const std::string kNanText = "1" + std::string(400, '0') + "e-400";

TEST(ParseWholeNumber, RoundsHalvesUpwards) {
    const WholeCase cases[] = {
        {"2.5", 3, 0},          {"-2.5", -2, 0},        {"-2.6", -3, 0},
        {"2.4999", 2, 0},       {"-0.5", 0, 0},         {"0.5", 1, 0},
        {"0.49999999999999994", 0, 0},                  {"-1.5", -1, 0},
        {"7", 7, 0},            {"3e1", 30, 0},         {"25e-1", 3, 0},
        {"abc", 0, 2},          {"", 0, 1},             {"1e5x", 1, 2},
    };
    for (const WholeCase& c : cases) {
        SCOPED_TRACE(c.text);
        Buffer text(c.text);
        int status = -1;
        EXPECT_EQ(parse_whole_number(text.data(), status), c.value);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(text.text(), c.text);
    }
}

TEST(ParseWholeNumber, SaturatesOutsideTheIntRange) {
    const WholeCase cases[] = {
        {"2147483647", INT_MAX, 0},   {"2147483646.5", INT_MAX, 0}, {"2147483646.4", INT_MAX - 1, 0},
        {"2147483648", INT_MAX, 0},   {"1e10", INT_MAX, 0},         {"1e999", INT_MAX, 0},
        {"-2147483648", INT_MIN, 0},  {"-2147483648.5", INT_MIN, 0}, {"-2147483647.6", INT_MIN, 0},
        {"-2147483649", INT_MIN, 0},  {"-1e10", INT_MIN, 0},        {"-1e999", INT_MIN, 0},
        {"1e2e1e999", INT_MAX, 0},
    };
    for (const WholeCase& c : cases) {
        SCOPED_TRACE(c.text);
        Buffer text(c.text);
        int status = -1;
        EXPECT_EQ(parse_whole_number(text.data(), status), c.value);
        EXPECT_EQ(status, c.status);
    }
}

TEST(ParseWholeNumber, NanGivesZero) {
    Buffer text(kNanText);
    int status = -1;
    EXPECT_TRUE(std::isnan(parse_number(text.data(), status)));
    EXPECT_EQ(parse_whole_number(text.data(), status), 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_whole_number(text.data()), 0);
    EXPECT_EQ(text.text(), kNanText);
}

TEST(ReadNumber, RaisesTheFlagOnlyForBadText) {
    take_number_error();
    Buffer abc("abc");
    EXPECT_EQ(read_number(abc.data()), 0.0);
    EXPECT_EQ(take_number_error(), 1);
    EXPECT_EQ(take_number_error(), 0);

    Buffer empty("");
    EXPECT_EQ(read_number(empty.data()), 0.0);
    Buffer no_exponent("1e");
    EXPECT_EQ(read_number(no_exponent.data()), 1.0);
    Buffer fine("-2.5d1");
    EXPECT_EQ(read_number(fine.data()), -25.0);
    EXPECT_EQ(take_number_error(), 0);

    // The value of a bad exponent's mantissa still comes back.
    Buffer bad_exponent("1e5x");
    EXPECT_EQ(read_number(bad_exponent.data()), 1.0);
    EXPECT_EQ(take_number_error(), 1);
}

TEST(ReadNumber, FlagCoversABatch) {
    take_number_error();
    Buffer one("1"), bad("x"), two("2");
    EXPECT_EQ(read_number(one.data()), 1.0);
    EXPECT_EQ(read_number(bad.data()), 0.0);
    EXPECT_EQ(read_number(two.data()), 2.0);
    EXPECT_EQ(take_number_error(), 1);
    EXPECT_EQ(take_number_error(), 0);
}

TEST(ReadWholeNumber, RoundsAndRaisesTheFlag) {
    take_number_error();
    Buffer half("-2.5"), large("3e10"), empty("");
    EXPECT_EQ(read_whole_number(half.data()), -2);
    EXPECT_EQ(read_whole_number(large.data()), INT_MAX);
    EXPECT_EQ(read_whole_number(empty.data()), 0);
    EXPECT_EQ(take_number_error(), 0);
    Buffer bad("2.5x");
    EXPECT_EQ(read_whole_number(bad.data()), 0);
    EXPECT_EQ(take_number_error(), 1);
    EXPECT_EQ(bad.text(), "2.5x");
}

TEST(ParseReal, ConvertsWithoutValidation) {
    const NumberCase cases[] = {
        {"  7.5abc", 7.5, 0}, {"", 0.0, 1},      {"abc", 0.0, 0},      {"1,5", 1.0, 0},
        {"\t-2e3x", -2000.0, 0}, {"1d2", 100.0, 0}, {"   ", 0.0, 0},   {"1.5+3", 1.5, 0},
        {"2e", 2.0, 0},       {"1e999", HUGE_VAL, 0}, {"inf", 0.0, 0}, {"0x10", 0.0, 0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        int status = -1;
        EXPECT_EQ(parse_real(c.text, status), c.value);
        EXPECT_EQ(status, c.status);
    }
    int status = -1;
    EXPECT_EQ(parse_real(nullptr, status), 0.0);
    EXPECT_EQ(status, 1);
}

// Switches the C locale for one test and puts the old one back after it.
class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = std::setlocale(LC_ALL, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                switched_ = true;
                return;
            }
        }
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }
    bool switched_ = false;

private:
    std::string saved_;
};

TEST_F(DecimalCommaLocale, ChangesNoResult_NeedsGermanLocale) {
    if (!switched_) GTEST_SKIP() << "no German locale on this machine";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    for (const NumberCase& c : kPlainCases) {
        SCOPED_TRACE(c.text);
        int status = -1;
        EXPECT_EQ(parse_plain_number(c.text, status), c.value);
        EXPECT_EQ(status, c.status);
    }
    for (const NumberCase& c : kExponentCases) {
        SCOPED_TRACE(c.text);
        Buffer text(c.text);
        int status = -1;
        EXPECT_DOUBLE_EQ(parse_number(text.data(), status), c.value);
        EXPECT_EQ(status, c.status);
    }
    int status = -1;
    EXPECT_EQ(parse_real("  7.5abc", status), 7.5);
    EXPECT_EQ(parse_real("1,5", status), 1.0);
    Buffer half("2.5");
    EXPECT_EQ(parse_whole_number(half.data(), status), 3);
}

// Callers may pass the status by address, or a null address when they do not want it.
TEST(StatusByAddress, GivesTheSameValuesAndStatus) {
    int status = -1;
    EXPECT_EQ(parse_plain_number("12.5", &status), 12.5);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(parse_plain_number(nullptr, &status), 0.0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(parse_plain_number("1,5", nullptr), 0.0);
    char exponent[] = "1e5x";
    EXPECT_EQ(parse_number(exponent, &status), 1.0);
    EXPECT_EQ(status, 2);
    EXPECT_STREQ(exponent, "1e5x");
    char half[] = "-2.5";
    EXPECT_EQ(parse_whole_number(half, &status), -2);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(parse_real("  7.5abc", &status), 7.5);
    EXPECT_EQ(parse_real("", nullptr), 0.0);
}

}  // namespace
}  // namespace trimora

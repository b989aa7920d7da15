// Tests of the "%lf" text: known texts, the exact path against glibc's digits, the fast path against the exact one.
#include "platform/format_lf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform/nan_rules.h"

namespace trimora {
namespace {

// Sanitized builds compare a quarter as many random values to stay quick.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSlowdown = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kSlowdown = 4;
#else
constexpr int kSlowdown = 1;
#endif
#else
constexpr int kSlowdown = 1;
#endif

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }
std::uint64_t to_bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// Runs one formatter and checks that the returned length matches the NUL-terminated text.
template <typename Formatter>
std::string run(Formatter formatter, double value) {
    char buffer[kLfBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    const int len = formatter(value, buffer);
    EXPECT_GE(len, 0);
    EXPECT_LT(len, kLfBufferSize);
    EXPECT_EQ(std::strlen(buffer), static_cast<std::size_t>(len));
    return std::string(buffer);
}

std::string fast(double value) { return run(format_lf, value); }
std::string exact(double value) { return run(format_lf_exact, value); }

struct text_case {
    double value;
    const char* text;
};

// Expected texts worked out from each double's exact decimal value.
TEST(FormatLf, KnownTexts) {
    const text_case cases[] = {
        {12.3456785, "12.345679"},
        {0.1234565, "0.123457"},
        {1000000000000000.25, "1000000000000000.300000"},
        {5e-324, "0.000000"},
        {0.5, "0.500000"},
        {0.0000005, "0.000000"},  // exactly 4.99999999999999977e-7
        {1.0, "1.000000"},
        {123456789.123456789, "123456789.123457"},
        {9.9999996, "10.000000"},
        {999999.9999999, "1000000.000000"},
        {0.0, "0.000000"},
        {-0.0, "-0.000000"},
        {-1e-9, "-0.000000"},
        {-0.0000004, "-0.000000"},
        {-0.0000005, "-0.000000"},
        {-0.0000015, "-0.000002"},
        {0.0000015, "0.000002"},
        {1.0000005, "1.000001"},
        {2.2250738585072014e-308, "0.000000"},
        {-2.2250738585072014e-308, "-0.000000"},
        {9007199254740992.0, "9007199254740992.000000"},
        {9007199254740993.0, "9007199254740992.000000"},
        {9007199254740994.0, "9007199254740994.000000"},
        {9007199254740995.0, "9007199254740996.000000"},
        {1e15, "1000000000000000.000000"},
        {1e16, "10000000000000000.000000"},
        {1e17, "100000000000000000.000000"},
        {1e18, "1000000000000000000.000000"},
        {1e19, "10000000000000000000.000000"},
        {1e20, "100000000000000000000.000000"},
        {1e21, "1000000000000000000000.000000"},
        {1e22, "10000000000000000000000.000000"},
        {1e23, "99999999999999992000000.000000"},
        {0.1, "0.100000"},
        {0.125, "0.125000"},
        {0.3, "0.300000"},
        {2.5e-7, "0.000000"},
        {4e-7, "0.000000"},
        {4.9999995e-7, "0.000000"},
        {5.000000000000001e-07, "0.000001"},
        {9.9999995e-7, "0.000001"},
        {1e-6, "0.000001"},
        {0.0000025, "0.000003"},
        {0.0000009999999, "0.000001"},
        {12.3456, "12.345600"},
        {-0.25, "-0.250000"},
        {153.0000061035, "153.000006"},
        {1e-3, "0.001000"},
        {4.7513e+06, "4751300.000000"},
        {-4.7513e+06, "-4751300.000000"},
        {1000000.0000005, "1000000.000001"},
        {-999999.9999995, "-1000000.000000"},
        {-123.456, "-123.456000"},
        {100000000000000.125, "100000000000000.130000"},
        {99999999999999.9921875, "100000000000000.000000"},
        {72057594037927936.0, "72057594037927936.000000"},
        {72057594037927928.0, "72057594037927928.000000"},
        {1152921504606846976.0, "1152921504606847000.000000"},
        {18446744073709549568.0, "18446744073709550000.000000"},
        {18446744073709551616.0, "18446744073709552000.000000"},
        {55340232221128654848.0, "55340232221128655000.000000"},
    };
    for (const text_case& c : cases) {
        EXPECT_EQ(fast(c.value), c.text) << "bits " << std::hex << to_bits(c.value);
        EXPECT_EQ(exact(c.value), c.text) << "bits " << std::hex << to_bits(c.value);
    }
}

// Huge values keep 17 significant digits and zeros after them, up to 309 integer digits.
TEST(FormatLf, HugeValues) {
    const std::string decimals = ".000000";
    const std::string max_text = "17976931348623157" + std::string(292, '0') + decimals;
    EXPECT_EQ(fast(DBL_MAX), max_text);
    EXPECT_EQ(exact(DBL_MAX), max_text);
    EXPECT_EQ(fast(-DBL_MAX), "-" + max_text);
    EXPECT_EQ(fast(-DBL_MAX).size(), 317u);
    EXPECT_EQ(fast(1e300), "10000000000000001" + std::string(284, '0') + decimals);
    EXPECT_EQ(fast(1e100), "1" + std::string(100, '0') + decimals);
    EXPECT_EQ(fast(1e308), "1" + std::string(308, '0') + decimals);
    EXPECT_EQ(fast(std::ldexp(1.0, 1023)), "89884656743115795" + std::string(291, '0') + decimals);
    EXPECT_EQ(fast(1.2345678901234567e200), "12345678901234567" + std::string(184, '0') + decimals);
}

// Infinities and every kind of NaN, by bit pattern.
TEST(FormatLf, NonFiniteValues) {
    const struct {
        std::uint64_t bits;
        const char* text;
    } cases[] = {
        {0x7FF0000000000000, "1.#INF00"},   {0xFFF0000000000000, "-1.#INF00"},
        {0xFFF8000000000000, "-1.#IND00"},  {0x7FF8000000000000, "1.#QNAN0"},
        {0xFFF8000000000001, "-1.#QNAN0"},  {0x7FF0000000000001, "1.#QNAN0"},
        {0xFFF0000000000001, "-1.#QNAN0"},  {0x7FFFFFFFFFFFFFFF, "1.#QNAN0"},
        {0xFFFFFFFFFFFFFFFF, "-1.#QNAN0"},  {0xFFF4000000000000, "-1.#QNAN0"},
        {0x7FF8000000000001, "1.#QNAN0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fast(from_bits(c.bits)), c.text) << std::hex << c.bits;
        EXPECT_EQ(exact(from_bits(c.bits)), c.text) << std::hex << c.bits;
    }
    // 0/0 as the normals compute it: the host's own bits for it differ by processor.
    volatile double zero = 0.0;
    EXPECT_EQ(fast(nan_rules::divide(zero, zero)), "-1.#IND00");
}

#ifdef __GLIBC__
// Adds one unit in the last place of a decimal digit string, growing it on a carry out.
void increment_digits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// The expected text from glibc's exact digits ("%.800e" holds all of any double's digits).
std::string reference_text(double value) {
    char buffer[900];
    std::snprintf(buffer, sizeof buffer, "%.800e", value);
    const char* p = buffer;
    std::string sign;
    if (*p == '-') {
        sign = "-";
        ++p;
    }
    std::string digits(1, *p);
    digits.append(p + 2, 800);
    const int exponent = std::atoi(p + 2 + 800 + 1);  // of the first digit
    if (digits.find_first_not_of('0') == std::string::npos) return sign + "0.000000";

    // 17 significant digits, half up on the 18th, as an integer scaled by 10^(16 - exponent).
    std::string significant = digits.substr(0, 17);
    if (digits[17] >= '5') increment_digits(significant);
    const int scale = 16 - exponent;
    // Write it out with seven decimals (padding or truncating), then round half up at the sixth.
    std::string fixed;
    if (scale >= 7) {
        fixed = std::string(static_cast<std::size_t>(scale + 1), '0') + significant;  // keeps an integer digit
        fixed.resize(fixed.size() - static_cast<std::size_t>(scale - 7));
    } else {
        fixed = significant + std::string(static_cast<std::size_t>(7 - scale), '0');
    }
    const bool up = fixed.back() >= '5';
    fixed.pop_back();
    if (up) increment_digits(fixed);
    std::string integer = fixed.substr(0, fixed.size() - 6);
    const std::size_t first = integer.find_first_not_of('0');
    integer = first == std::string::npos ? "0" : integer.substr(first);
    return sign + integer + "." + fixed.substr(fixed.size() - 6);
}
#endif

// The exact path agrees with an independent source of exact digits on random doubles of all sizes.
TEST(FormatLf, ExactMatchesGlibcDigits_NeedsGlibc) {
#ifdef __GLIBC__
    for (const text_case& c : {text_case{12.3456785, "12.345679"}, text_case{-0.0, "-0.000000"},
                               text_case{1e23, "99999999999999992000000.000000"}}) {
        ASSERT_EQ(reference_text(c.value), c.text);
    }
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> realistic(-1e7, 1e7);
    std::uniform_int_distribution<int> exponent(-30, 70);
    const int count = 20000 / kSlowdown;
    int failures = 0;
    auto check = [&](double value) {
        if (!std::isfinite(value) || failures > 10) return;
        const std::string want = reference_text(value);
        const std::string got = exact(value);
        if (got != want) {
            ++failures;
            ADD_FAILURE() << "bits " << std::hex << to_bits(value) << ": " << got << " != " << want;
        }
    };
    for (int i = 0; i < count; ++i) {
        check(from_bits(rng()));
        check(realistic(rng));
        check(std::ldexp(static_cast<double>(rng() >> 11), exponent(rng) - 53));
    }
    for (int b = -1074; b <= 1023; ++b) check(std::ldexp(1.0, b));
#else
    GTEST_SKIP() << "needs glibc's exact %e digits";
#endif
}

// Compares the fast path with the exact path, reporting at most a few mismatches.
class fast_exact_checker {
public:
    void check(double value) {
        ++count_;
        char fast_text[kLfBufferSize];
        char exact_text[kLfBufferSize];
        const int fast_len = format_lf(value, fast_text);
        const int exact_len = format_lf_exact(value, exact_text);
        if ((fast_len != exact_len || std::strcmp(fast_text, exact_text) != 0) && ++failures_ <= 10) {
            ADD_FAILURE() << "bits " << std::hex << to_bits(value) << ": " << fast_text << " != " << exact_text;
        }
    }
    // The value and its nearest neighbours on both sides.
    void check_around(double value, int steps = 2) {
        check(value);
        double up = value;
        double down = value;
        for (int i = 0; i < steps; ++i) {
            up = std::nextafter(up, HUGE_VAL);
            down = std::nextafter(down, -HUGE_VAL);
            check(up);
            check(down);
        }
    }
    long count() const { return count_; }

private:
    long count_ = 0;
    int failures_ = 0;
};

// The fast path agrees with the exact one on the values coordinate files are made of.
TEST(FormatLf, FastMatchesExactOnCoordinates) {
    fast_exact_checker checker;
    std::mt19937_64 rng(7);
    const int n = 250000 / kSlowdown;
    std::uniform_real_distribution<double> uniform(-1e6, 1e6);
    std::uniform_int_distribution<std::int64_t> thousandths(-1000000000, 1000000000);
    std::uniform_int_distribution<int> binary_places(0, 40);
    std::uniform_real_distribution<double> magnitude(-9, 17);
    for (int i = 0; i < n; ++i) {
        checker.check(uniform(rng));
        checker.check(static_cast<double>(thousandths(rng)) / 1000);
        checker.check(std::ldexp(static_cast<double>(thousandths(rng)), -binary_places(rng)));
        checker.check(std::pow(10.0, magnitude(rng)) * (rng() & 1 ? 1 : -1));
    }
    // Texts another program printed with six digits, read back.
    for (int i = 0; i < n / 4; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, i % 2 ? "%e" : "%f", uniform(rng) * std::pow(10.0, magnitude(rng) - 6));
        checker.check_around(std::strtod(text, nullptr), 1);
    }
    EXPECT_GE(checker.count(), 1000000 / kSlowdown);
}

// ... and where either rounding step meets an exact or near half.
TEST(FormatLf, FastMatchesExactOnTies) {
    fast_exact_checker checker;
    std::mt19937_64 rng(11);
    const int n = 50000 / kSlowdown;
    std::uniform_int_distribution<std::int64_t> digits(0, 99999999);
    std::uniform_int_distribution<int> decade(0, 9);
    for (int i = 0; i < n; ++i) {
        // A 5 in the seventh decimal: the nearest double often rounds back to exactly that at 17 digits.
        const double scale = std::pow(10.0, decade(rng));
        const double tie = (static_cast<double>(digits(rng)) * 10 + 5) / 1e7 * scale;
        checker.check_around(tie * (rng() & 1 ? 1 : -1));
    }
    // Odd m * 2^-k whose exact expansion has exactly 18 significant digits, the last a 5.
    for (int k = 1; k <= 25; ++k) {
        const double five_k = std::pow(5.0, k);
        const double low = std::ceil(1e17 / five_k);
        const double high = std::min(std::floor(1e18 / five_k), 9007199254740991.0);
        if (low > high) continue;
        std::uniform_real_distribution<double> pick(low, high);
        for (int i = 0; i < n / 25; ++i) {
            const double m = std::floor(pick(rng) / 2) * 2 + 1;
            if (m > high) continue;
            checker.check_around(std::ldexp(m, -k));
        }
    }
    // Integers and quarters near 10^15..10^17 where 17 digits round the last ones away.
    std::uniform_int_distribution<std::int64_t> big(1000000000000000, 100000000000000000);
    for (int i = 0; i < n; ++i) {
        const double v = static_cast<double>(big(rng));
        checker.check_around(v);
        checker.check(v / 4 + 0.25);
        checker.check(v / 8 + 0.125);
    }
    EXPECT_GT(checker.count(), 0);
}

// ... and at powers of two and ten, the fast range limits and the carry into a new digit.
TEST(FormatLf, FastMatchesExactOnEdges) {
    fast_exact_checker checker;
    for (int b = -1074; b <= 1023; ++b) checker.check_around(std::ldexp(1.0, b), 3);
    for (int d = -30; d <= 308; ++d) checker.check_around(std::strtod(("1e" + std::to_string(d)).c_str(), nullptr), 3);
    for (const double edge : {4e-7, 5e-7, 1e-6, 72057594037927936.0, 18446744073709551616.0, 1e17, DBL_MAX, DBL_MIN,
                              5e-324, 0.0, 999999.9999995, 9.9999995, 0.0000005, 0.0000015}) {
        checker.check_around(edge, 50);
        checker.check_around(-edge, 50);
    }
    // 17 nines then more: the carry into an extra integer digit.
    for (int d = -7; d <= 25; ++d) {
        checker.check_around(std::strtod(("9.9999999999999999e" + std::to_string(d)).c_str(), nullptr), 5);
    }
    EXPECT_GT(checker.count(), 0);
}

// ... and on random bit patterns.
TEST(FormatLf, FastMatchesExactOnRandomBits) {
    fast_exact_checker checker;
    std::mt19937_64 rng(3);
    const int n = 100000 / kSlowdown;
    // Exponents across the fast range and just around it, all mantissas, both signs.
    std::uniform_int_distribution<std::uint64_t> biased(1023 - 30, 1023 + 70);
    for (int i = 0; i < 2 * n; ++i) {
        const std::uint64_t bits = (rng() & 0x800FFFFFFFFFFFFF) | (biased(rng) << 52);
        checker.check(from_bits(bits));
    }
    for (int i = 0; i < n / 4; ++i) checker.check(from_bits(rng()));
    EXPECT_GT(checker.count(), 0);
}

}  // namespace
}  // namespace trimora

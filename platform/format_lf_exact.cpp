// The "%lf" text of a double from its full exact decimal expansion: slow, simple, the reference.
#include "platform/format_lf.h"

#include <bit>
#include <cstdint>

namespace trimora {
namespace {

constexpr std::uint32_t kLimbBase = 1000000000;  // 9 decimal digits per limb
constexpr int kLimbDigits = 9;
// m * 5^1074 < 2^53 * 5^1074 < 10^767 and 2^1024 < 10^309, so 86 limbs always suffice.
constexpr int kMaxLimbs = 90;
constexpr int kMaxDigits = kMaxLimbs * kLimbDigits;
constexpr std::uint32_t kFivePow13 = 1220703125;  // largest power of five below 2^31
constexpr std::uint32_t kTwoPow29 = 536870912;
constexpr int kSignificant = 17;
constexpr int kDecimals = 6;

// A non-negative integer as little-endian base-1e9 limbs.
struct big_decimal {
    std::uint32_t limb[kMaxLimbs];
    int size;
};

// Multiplies b by factor; limb * factor + carry < 1e9 * 2^31 + 2^32 stays far below 2^64.
void multiply(big_decimal& b, std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < b.size; ++i) {
        const std::uint64_t cur = std::uint64_t{b.limb[i]} * factor + carry;
        b.limb[i] = static_cast<std::uint32_t>(cur % kLimbBase);
        carry = cur / kLimbBase;
    }
    while (carry != 0) {
        b.limb[b.size++] = static_cast<std::uint32_t>(carry % kLimbBase);
        carry /= kLimbBase;
    }
}

// Multiplies b by base^count, using chunk = base^chunk_count for most of the way.
void multiply_power(big_decimal& b, std::uint32_t base, std::uint32_t chunk, int chunk_count, int count) {
    for (; count >= chunk_count; count -= chunk_count) multiply(b, chunk);
    std::uint32_t rest = 1;
    for (; count > 0; --count) rest *= base;
    multiply(b, rest);
}

// Writes the decimal digits of b ('0'..'9', no leading zeros, b > 0) and returns their count.
int to_digits(const big_decimal& b, char* digits) {
    int n = 0;
    for (int i = b.size - 1; i >= 0; --i) {
        char chunk[kLimbDigits];
        std::uint32_t v = b.limb[i];
        for (int j = kLimbDigits - 1; j >= 0; --j, v /= 10) chunk[j] = static_cast<char>('0' + v % 10);
        int j = 0;
        if (i == b.size - 1) {
            while (chunk[j] == '0') ++j;  // the top limb is non-zero
        }
        for (; j < kLimbDigits; ++j) digits[n++] = chunk[j];
    }
    return n;
}

// Adds one unit at index last of a digit string; returns true when the carry runs off the front.
bool increment(char* digits, int last) {
    for (int i = last; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

}  // namespace

// Exact for every finite double; infinities and NaNs take the texts of format_lf.
int format_lf_exact(double value, char* out) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0x7FF) return format_lf(value, out);  // format_lf never defers these back

    char* p = out;
    if (bits >> 63) *p++ = '-';  // negative values keep their sign even when they round to zero
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = -1074;
    if (biased != 0) {
        m |= std::uint64_t{1} << 52;
        e = biased - 1075;
    }
    if (m == 0) {
        constexpr char kZero[] = "0.000000";
        for (const char c : kZero) *p++ = c;
        return static_cast<int>(p - out) - 1;
    }

    // value = m * 2^e = (m * 5^-e) * 10^e when e < 0, so the digits are those of an integer.
    big_decimal b{};
    b.limb[0] = static_cast<std::uint32_t>(m % kLimbBase);
    b.limb[1] = static_cast<std::uint32_t>(m / kLimbBase);
    b.size = b.limb[1] != 0 ? 2 : 1;
    int fraction_digits = 0;
    if (e >= 0) {
        multiply_power(b, 2, kTwoPow29, 29, e);
    } else {
        multiply_power(b, 5, kFivePow13, 13, -e);
        fraction_digits = -e;
    }
    char digits[kMaxDigits];
    int n = to_digits(b, digits);
    int top = n - 1 - fraction_digits;  // decimal exponent of digits[0]

    // Round to 17 significant digits, half up on the 18th; the digits after it no longer count.
    if (n > kSignificant) {
        const bool up = digits[kSignificant] >= '5';
        n = kSignificant;
        if (up && increment(digits, kSignificant - 1)) {
            digits[0] = '1';  // 99..9 became 100..0: one more integer digit
            ++top;
        }
    }

    // Lay the 17-digit value out in fixed point down to the 7th decimal, then round at the 6th.
    const int int_count = top >= 0 ? top + 1 : 1;
    const int fixed_count = int_count + kDecimals + 1;
    char fixed[kMaxDigits];
    for (int j = 0; j < fixed_count; ++j) {
        const int index = top - (int_count - 1 - j);  // position in digits of exponent int_count-1-j
        fixed[j] = index >= 0 && index < n ? digits[index] : '0';
    }
    if (fixed[fixed_count - 1] >= '5' && increment(fixed, fixed_count - 2)) *p++ = '1';
    for (int j = 0; j < int_count; ++j) *p++ = fixed[j];
    *p++ = '.';
    for (int j = int_count; j < int_count + kDecimals; ++j) *p++ = fixed[j];
    *p = '\0';
    return static_cast<int>(p - out);
}

}  // namespace trimora

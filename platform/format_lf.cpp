// Fast exact "%lf" text for the doubles a coordinate writer meets, infinities and NaNs; the rest goes to the exact path.
#include "platform/format_lf.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/nan_rules.h"

namespace trimora {
namespace {

__extension__ typedef unsigned __int128 u128;

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kIndefiniteNan = std::bit_cast<std::uint64_t>(nan_rules::kIndefinite);

// The least value whose 17 digits reach 5e-7 is 4.99999999999999995e-7; below 4e-7 the 17-digit value
// is at most 4.0000000000000002e-7, which rounds to zero at six decimals.
constexpr std::uint64_t kZeroBelowBits = std::bit_cast<std::uint64_t>(4e-7);
constexpr int kMinBinaryExponent = -22;  // 2^-22 < 4e-7 < 2^-21
constexpr int kMaxScaledExponent = 55;   // up to here |value| < 2^56 < 10^17
constexpr int kMaxIntegerExponent = 63;  // up to here |value| < 2^64

constexpr std::uint64_t power(std::uint64_t base, int count) {
    std::uint64_t r = 1;
    for (int i = 0; i < count; ++i) r *= base;
    return r;
}

constexpr std::uint64_t kPow10[20] = {
    power(10, 0),  power(10, 1),  power(10, 2),  power(10, 3),  power(10, 4),  power(10, 5),  power(10, 6),
    power(10, 7),  power(10, 8),  power(10, 9),  power(10, 10), power(10, 11), power(10, 12), power(10, 13),
    power(10, 14), power(10, 15), power(10, 16), power(10, 17), power(10, 18), power(10, 19)};

constexpr std::uint64_t kPow5[24] = {
    power(5, 0),  power(5, 1),  power(5, 2),  power(5, 3),  power(5, 4),  power(5, 5),
    power(5, 6),  power(5, 7),  power(5, 8),  power(5, 9),  power(5, 10), power(5, 11),
    power(5, 12), power(5, 13), power(5, 14), power(5, 15), power(5, 16), power(5, 17),
    power(5, 18), power(5, 19), power(5, 20), power(5, 21), power(5, 22), power(5, 23)};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr u128 power_wide(std::uint64_t base, int count) {
    u128 r = 1;
    for (int i = 0; i < count; ++i) r *= base;
    return r;
}

// floor(b * log10(2)) by a fixed-point multiply; the check below proves it for every b the fast path uses.
constexpr int floor_log10_pow2(int b) { return (b * 78913) >> 18; }

// True when 10^p <= 2^b < 10^(p+1) for p = floor_log10_pow2(b), for all b in the fast range.
constexpr bool log10_estimate_is_exact() {
    for (int b = kMinBinaryExponent; b <= kMaxScaledExponent; ++b) {
        const int p = floor_log10_pow2(b);
        // Compare 2^b with 10^p and 10^(p+1) scaled by 2^30 * 10^7 so both sides are integers.
        const u128 two = (u128{1} << (b + 30)) * power(10, 7);
        const u128 low = power_wide(10, p + 7) << 30;
        if (!(low <= two && two < low * 10)) return false;
    }
    return true;
}
static_assert(log10_estimate_is_exact());

// x / 10^t as x * c >> (58 + l), with 2^(l-1) < 10^t <= 2^l and c = ceil(2^(58+l) / 10^t) <= 2^59.
// c exceeds 2^(58+l) / 10^t by less than 1, so for x < 2^58 the scaled product exceeds x / 10^t by
// less than x / 2^(58+l) < 2^-l <= 10^-t; the fraction of x / 10^t is at most 1 - 10^-t, so the floor
// is unchanged and the quotient is exact without a hardware division.
constexpr int kDivideBits = 58;
struct reciprocal {
    std::uint64_t multiplier;
    int shift;
};
constexpr int kMaxDropped = 17;
constexpr auto kReciprocals = [] {
    std::array<reciprocal, kMaxDropped + 1> table{};
    for (int t = 0; t <= kMaxDropped; ++t) {
        const u128 divisor = power(10, t);
        int l = 0;
        while ((u128{1} << l) < divisor) ++l;
        const int shift = kDivideBits + l;
        const u128 multiplier = ((u128{1} << shift) + divisor - 1) / divisor;
        table[static_cast<std::size_t>(t)] = {static_cast<std::uint64_t>(multiplier), shift};
    }
    return table;
}();

// x / 10^t for x < 2^58 and t in [0, 17].
std::uint64_t divide_pow10(std::uint64_t x, int t) {
    const reciprocal& r = kReciprocals[static_cast<std::size_t>(t)];
    return static_cast<std::uint64_t>((u128{x} * r.multiplier) >> r.shift);
}

// x / 10^t rounded half up, for x + 10^t / 2 < 2^58 and t in [0, 17].
std::uint64_t round_pow10(std::uint64_t x, int t) { return divide_pow10(x + kPow10[t] / 2, t); }

// Number of decimal digits of n (1 for zero).
int digit_count(std::uint64_t n) {
    // bits * 1233 / 4096 is floor(bits * log10 2) or one less; the table compare settles it.
    const int guess = ((64 - std::countl_zero(n | 1)) * 1233) >> 12;
    return guess + ((n | 1) >= kPow10[guess] ? 1 : 0);
}

// Writes the digits of n, two at a time from the right; returns their count.
int write_uint(std::uint64_t n, char* out) {
    const int len = digit_count(n);
    char* p = out + len;
    while (n >= 100) {
        const std::uint64_t r = n % 100;
        n /= 100;
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * r, 2);
    }
    if (n >= 10) {
        std::memcpy(p - 2, kDigitPairs + 2 * n, 2);
    } else {
        p[-1] = static_cast<char>('0' + n);
    }
    return len;
}

// Writes n < 10^8 without leading zeros ("0" for zero) through one 8-char store, so no loop or
// digit-count branch; out must have 8 writable chars. Returns the digit count.
int write_small_uint(std::uint32_t n, char* out) {
    char digits[8];
    const std::uint32_t high = n / 10000;
    const std::uint32_t low = n % 10000;
    std::memcpy(digits, kDigitPairs + 2 * (high / 100), 2);
    std::memcpy(digits + 2, kDigitPairs + 2 * (high % 100), 2);
    std::memcpy(digits + 4, kDigitPairs + 2 * (low / 100), 2);
    std::memcpy(digits + 6, kDigitPairs + 2 * (low % 100), 2);
    const int len = digit_count(n);
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t word;
        std::memcpy(&word, digits, 8);
        word >>= 8 * (8 - len);  // the first char is the lowest byte: this drops the leading zeros
        std::memcpy(out, &word, 8);
    } else {
        std::memcpy(out, digits + 8 - len, static_cast<std::size_t>(len));
    }
    return len;
}

// Writes "." and exactly six digits of fraction (< 10^6); returns 7.
int write_decimals(std::uint32_t fraction, char* out) {
    out[0] = '.';
    std::memcpy(out + 1, kDigitPairs + 2 * (fraction / 10000), 2);
    std::memcpy(out + 3, kDigitPairs + 2 * (fraction / 100 % 100), 2);
    std::memcpy(out + 5, kDigitPairs + 2 * (fraction % 100), 2);
    return 7;
}

// Writes an already NUL-free literal and terminates it; returns its length.
int write_literal(const char* text, int len, char* out) {
    std::memcpy(out, text, static_cast<std::size_t>(len) + 1);
    return len;
}

// Text of infinities and NaNs in the old platform's spelling.
int write_non_finite(std::uint64_t bits, char* out) {
    char* p = out;
    if (bits == kIndefiniteNan) return write_literal("-1.#IND00", 9, out);
    if (bits & kSignBit) *p++ = '-';
    const bool infinite = (bits & kFractionMask) == 0;
    return static_cast<int>(p - out) + (infinite ? write_literal("1.#INF00", 8, p) : write_literal("1.#QNAN0", 8, p));
}

// Magnitude text of m * 2^e (m normal, binary exponent b = e + 52 in [-22, 55]); exact, returns its length.
int write_scaled(std::uint64_t m, int e, int b, char* out) {
    // With p the decimal exponent of the value, p_est is p or p - 1 (2^b <= value < 2^(b+1) < 10^(p_est+2)).
    // s = 16 - p_est in [0, 23], so value * 10^s has 17 integer digits, or 18 when p_est is one low.
    int s = 16 - floor_log10_pow2(b);
    // value * 10^s = m * 5^s * 2^(s+e): m * 5^s < 2^53 * 2^54 fits; s + e = b - p_est - 36 is in [-51, 3].
    const u128 n = u128{m} * kPow5[s];
    const int shift = s + e;
    std::uint64_t q;
    bool round_up = false;
    if (shift >= 0) {
        q = static_cast<std::uint64_t>(n << shift);  // an integer below 10^18 then
    } else {
        q = static_cast<std::uint64_t>(n >> -shift);
        round_up = ((n >> (-shift - 1)) & 1) != 0;  // the dropped bits are at least one half
    }
    // 18 integer digits when p_est was low: the last one alone decides the half-up rounding to 17,
    // whatever follows it. Selected without a branch, as this case is frequent and unpredictable.
    const bool wide = q >= kPow10[17];
    const std::uint64_t tenth = q / 10;
    round_up = wide ? q - tenth * 10 >= 5 : round_up;
    q = wide ? tenth : q;
    s -= wide ? 1 : 0;
    q += round_up ? 1 : 0;  // now q is the 17-digit value times 10^s, q <= 10^17

    std::uint64_t integer_part;
    std::uint32_t fraction;
    if (s >= 6) {
        // Drop the s - 6 <= 17 digits below the sixth decimal half up; q + 10^17 / 2 < 2^58.
        const std::uint64_t micros = round_pow10(q, s - 6);
        integer_part = micros / 1000000;
        fraction = static_cast<std::uint32_t>(micros % 1000000);
    } else {
        // Fewer than six decimals in the 17-digit value: no rounding, pad with zeros; q <= 10^17 < 2^58.
        integer_part = divide_pow10(q, s);
        fraction = static_cast<std::uint32_t>((q - integer_part * kPow10[s]) * kPow10[6 - s]);
    }
    // Coordinates almost always have fewer than 8 integer digits.
    const int len = integer_part < kPow10[8] ? write_small_uint(static_cast<std::uint32_t>(integer_part), out)
                                             : write_uint(integer_part, out);
    return len + write_decimals(fraction, out + len);
}

// Magnitude text of an integer n in [2^56, 2^64): its 17 leading digits rounded half up, then zeros.
int write_large_integer(std::uint64_t n, char* out) {
    const int dropped = digit_count(n) - 17;  // 0 to 3
    // n <= 2^64 - 2^11 (53 significant bits), so adding at most 500 cannot overflow; a rare path,
    // and n is too wide for divide_pow10, so a plain division is fine here.
    const std::uint64_t leading = (n + kPow10[dropped] / 2) / kPow10[dropped];
    int len = write_uint(leading, out);
    for (int i = 0; i < dropped; ++i) out[len++] = '0';
    return len + write_decimals(0, out + len);
}

}  // namespace

// Exact for every double: the common range in integer arithmetic, huge values through format_lf_exact.
int format_lf(double value, char* out) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const std::uint64_t magnitude = bits & ~kSignBit;
    const int biased = static_cast<int>(magnitude >> 52);
    if (biased == 0x7FF) return write_non_finite(bits, out);

    // Negative values keep their sign even when they round to zero; written without a branch
    // because coordinate signs are unpredictable.
    const int sign_len = static_cast<int>(bits >> 63);
    out[0] = '-';
    char* p = out + sign_len;
    if (magnitude < kZeroBelowBits) return sign_len + write_literal("0.000000", 8, p);

    const int b = biased - 1023;  // the value is normal here, so b >= -22
    const std::uint64_t m = (magnitude & kFractionMask) | (std::uint64_t{1} << 52);
    const int e = b - 52;
    int len;
    if (b <= kMaxScaledExponent) {
        len = write_scaled(m, e, b, p);
    } else if (b <= kMaxIntegerExponent) {
        len = write_large_integer(m << e, p);
    } else {
        return format_lf_exact(value, out);
    }
    p[len] = '\0';
    return sign_len + len;
}

}  // namespace trimora

// Number reading without locale: a scan for the accepted prefix, then an exact conversion.
#include "platform/text_to_double.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

namespace trimora {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_white(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Powers of ten that doubles hold exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Where the accepted number lies in the token, and what the scan learnt of it.
struct NumberText {
    const char* start = nullptr;     // first digit or '.'
    const char* mantissa_end = nullptr;
    const char* end = nullptr;       // after the exponent, when there is one
    bool negative = false;
    bool has_digit = false;
    bool d_exponent = false;         // the exponent letter is d or D
    int digit_count = 0;             // significant digits, leading zeros left out
    int fraction_digits = 0;         // digits that stand after the '.', leading zeros included
    long exponent = 0;               // the written exponent, saturated
};

NumberText scan_number(const char* p) {
    NumberText n;
    while (is_white(*p)) ++p;
    if (*p == '+' || *p == '-') n.negative = *p++ == '-';
    n.start = p;
    bool in_fraction = false;
    for (;; ++p) {
        if (is_digit(*p)) {
            n.has_digit = true;
            if (n.digit_count == 0 && *p == '0') {
                if (in_fraction) ++n.fraction_digits;
                continue;
            }
            ++n.digit_count;
            if (in_fraction) ++n.fraction_digits;
        } else if (*p == '.' && !in_fraction) {
            in_fraction = true;
        } else {
            break;
        }
    }
    n.mantissa_end = n.end = p;
    if (n.has_digit && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
        const char* q = p + 1;
        const bool negative_exponent = *q == '-';
        if (*q == '+' || *q == '-') ++q;
        if (is_digit(*q)) {
            for (; is_digit(*q); ++q) {
                if (n.exponent < 100000000) n.exponent = n.exponent * 10 + (*q - '0');
            }
            if (negative_exponent) n.exponent = -n.exponent;
            n.d_exponent = *p == 'd' || *p == 'D';
            n.end = q;
        }
    }
    return n;
}

// The exact conversion of the accepted text, for what the quick route cannot take.
double convert_slowly(const NumberText& n) {
    std::string mapped;
    const char* first = n.start;
    const char* last = n.end;
    if (n.d_exponent) {
        // The standard conversion knows only e as the exponent letter.
        mapped.assign(n.start, n.end);
        mapped[static_cast<std::size_t>(n.mantissa_end - n.start)] = 'e';
        first = mapped.data();
        last = first + mapped.size();
    }
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Out of range means too large or too small: the decimal exponent of
        // the leading digit says which.
        const long leading = n.exponent + (n.digit_count - n.fraction_digits) - 1;
        value = leading > 0 ? HUGE_VAL : 0.0;
    }
    return value;
}

// The value of a number of at most 19 digits whose exponent is written with at
// most 4 digits, when it is exact by one operation; false, with nothing
// stored, when the full scan has to decide. This is the form of almost every
// coordinate, and it is read here in one tight pass.
bool read_quickly(const char* text, double& value, const char*& end) {
    const char* p = text;
    while (is_white(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    std::uint64_t digits = 0;
    const char* q = p;
    for (unsigned d; (d = static_cast<unsigned char>(*q) - unsigned{'0'}) <= 9; ++q) digits = digits * 10 + d;
    long count = q - p;
    long fraction = 0;
    if (*q == '.') {
        const char* first = ++q;
        for (unsigned d; (d = static_cast<unsigned char>(*q) - unsigned{'0'}) <= 9; ++q) digits = digits * 10 + d;
        fraction = q - first;
        count += fraction;
    }
    // Without a digit the full scan gives 0.0; beyond 19 digits the sum overflowed.
    if (count == 0 || count > 19) return false;
    long exponent = 0;
    if (*q == 'e' || *q == 'E' || *q == 'd' || *q == 'D') {
        const char* r = q + 1;
        const bool negative_exponent = *r == '-';
        if (*r == '+' || *r == '-') ++r;
        if (is_digit(*r)) {
            const char* first = r;
            while (is_digit(*r)) {
                if (r - first == 4) return false;
                exponent = exponent * 10 + (*r++ - '0');
            }
            if (negative_exponent) exponent = -exponent;
            q = r;
        }
    }
    const long scale = exponent - fraction;
    constexpr std::uint64_t kExactDigits = std::uint64_t{1} << 53;
    if (digits > kExactDigits || scale < -22 || scale > 22) return false;
    // Both the digits and the power of ten are exact doubles, so one correctly
    // rounded operation gives the correctly rounded value.
    const auto exact = static_cast<double>(digits);
    value = scale < 0 ? exact / kExactPowers[-scale] : exact * kExactPowers[scale];
    if (negative) value = -value;
    end = q;
    return true;
}

}  // namespace

double text_to_double(const char* text, const char** end) {
    double value = 0.0;
    const char* quick_end = nullptr;
    if (read_quickly(text, value, quick_end)) {
        if (end != nullptr) *end = quick_end;
        return value;
    }
    const NumberText n = scan_number(text);
    if (end != nullptr) *end = n.has_digit ? n.end : text;
    if (!n.has_digit) return 0.0;
    value = n.digit_count == 0 ? 0.0 : convert_slowly(n);
    return n.negative ? -value : value;
}

}  // namespace trimora

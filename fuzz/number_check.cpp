// Number reading against strtod in the "C" locale, and the "%lf" text of the fast path against the exact one.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/text_shapes.h"
#include "platform/format_lf.h"
#include "platform/text_to_double.h"

namespace trimora::fuzz {

namespace {

std::uint64_t bits_of(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string hex_bits(double value) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(bits_of(value)));
    return n > 0 ? std::string(text) : std::string("?");
}

// The same text as strtod should read it: d and D are exponent letters like
// e, and the hexadecimal, infinity and NaN forms, which the reader does not
// know, are made impossible by spoiling their letters.
std::string for_strtod(const char* text) {
    std::string mapped(text);
    for (char& c : mapped) {
        if (c == 'd' || c == 'D') {
            c = 'e';
        } else if (std::strchr("xXiInN", c) != nullptr) {
            c = '#';
        }
    }
    return mapped;
}

// Adds one unit at the last place of a string of decimal digits; true when
// it carried out of the first place (the digits are then all 0).
bool increment_digits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// The "%lf" text of a finite value worked out from the C library's exact
// digits: 17 significant digits, half up on the 18th, then six decimals,
// half away from zero, and the sign of the value even where it rounds to 0.
std::string reference_lf(double value) {
    char text[1024];
    // 800 decimals hold every digit of a double's exact expansion.
    if (std::snprintf(text, sizeof text, "%.800e", std::fabs(value)) < 0) return "?";
    std::string digits = std::string(1, text[0]) + std::string(text + 2, 800);
    long exponent = std::strtol(text + 803, nullptr, 10);
    std::string significant = digits.substr(0, 17);
    if (digits[17] >= '5' && increment_digits(significant)) {
        significant[0] = '1';
        ++exponent;
    }
    // Digits from 10^top down to 10^-7, read off the 17 significant ones.
    const long top = exponent > 0 ? exponent : 0;
    std::string fixed(static_cast<std::size_t>(top + 8), '0');
    for (std::size_t k = 0; k < fixed.size(); ++k) {
        const long index = exponent - top + static_cast<long>(k);
        if (index >= 0 && index < 17) fixed[k] = significant[static_cast<std::size_t>(index)];
    }
    const bool up = fixed[fixed.size() - 1] >= '5';
    fixed.resize(fixed.size() - 1);
    if (up && increment_digits(fixed)) fixed.insert(fixed.begin(), '1');
    std::string whole = fixed.substr(0, fixed.size() - 6);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    return (std::signbit(value) ? "-" : "") + whole + "." + fixed.substr(fixed.size() - 6);
}

std::string check_reading(const char* text) {
    const char* end = nullptr;
    const double value = text_to_double(text, &end);
    const std::string mapped = for_strtod(text);
    char* strtod_end = nullptr;
    const double expected = std::strtod(mapped.c_str(), &strtod_end);
    if (end - text != strtod_end - mapped.c_str()) return "the number ends elsewhere than for strtod";
    if (bits_of(value) != bits_of(expected)) {
        return "read " + hex_bits(value) + " where strtod reads " + hex_bits(expected);
    }
    if (bits_of(text_to_double(text)) != bits_of(value)) return "the value depends on asking for the end";
    return "";
}

std::string check_format(double value) {
    // Exactly the documented room, so that the sanitizer sees a write past it.
    const std::unique_ptr<char[]> fast(new char[kLfBufferSize]);
    const std::unique_ptr<char[]> exact(new char[kLfBufferSize]);
    const int fast_length = format_lf(value, fast.get());
    const int exact_length = format_lf_exact(value, exact.get());
    const std::string where = " for " + hex_bits(value);
    if (std::memchr(fast.get(), '\0', kLfBufferSize) == nullptr ||
        std::memchr(exact.get(), '\0', kLfBufferSize) == nullptr) {
        return "%lf text without a NUL" + where;
    }
    if (fast_length != static_cast<int>(std::strlen(fast.get())) ||
        exact_length != static_cast<int>(std::strlen(exact.get()))) {
        return "%lf length is not the text's length" + where;
    }
    if (std::strcmp(fast.get(), exact.get()) != 0) {
        return std::string("fast %lf text ") + fast.get() + " differs from the exact " + exact.get() + where;
    }
    if (!is_lf_text(exact.get())) return std::string("not a %lf text: ") + exact.get() + where;
    if ((exact[0] == '-') != std::signbit(value)) return "%lf sign differs from the value's" + where;
    if (std::isinf(value) && std::strcmp(exact.get() + (value < 0 ? 1 : 0), "1.#INF00") != 0) {
        return "infinity not written as 1.#INF00" + where;
    }
    if (!std::isfinite(value)) return "";
    const std::string reference = reference_lf(value);
    if (reference != exact.get()) {
        return std::string("%lf text ") + exact.get() + " differs from the one worked out from printf, " + reference +
               where;
    }

    // Read back, the text is the value rounded to 17 digits and then to six
    // decimals. From 1e11 up the six decimals keep all 17 digits, and 17
    // digits bring back the very same double.
    const double back = text_to_double(exact.get());
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e11) {
        if (back != value) return std::string("%lf text ") + exact.get() + " does not read back" + where;
    } else {
        const double ulp = std::nextafter(magnitude, INFINITY) - magnitude;
        if (std::fabs(back - value) > 5e-7 + 2 * ulp) {
            return std::string("%lf text ") + exact.get() + " is further than its rounding" + where;
        }
    }
    return "";
}

}  // namespace

std::string check_numbers(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string failure = check_reading(text.c_str());
    if (failure.empty()) failure = check_format(text_to_double(text.c_str()));
    if (failure.empty() && size >= sizeof(double)) {
        double value = 0.0;
        std::memcpy(&value, data, sizeof value);
        failure = check_format(value);
    }
    return failure;
}

}  // namespace trimora::fuzz

// Number reading against strtod in the "C" locale, and the "%lf" text of the fast path against the exact one.
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

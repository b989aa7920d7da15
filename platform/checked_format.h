// Message formats checked against their values when the program is compiled, and the one walk that fills them.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "platform/format_lf.h"

namespace trimora {

// The conversions of the tool's messages: "%s" takes a text, "%d" a whole
// number, "%lf" a double; every other character, LF included, is text.
enum class Conversion : char { kText = 's', kWhole = 'd', kReal = 'f' };

template <class T>
inline constexpr bool is_character_v =
    std::is_same_v<T, char> || std::is_same_v<T, signed char> || std::is_same_v<T, unsigned char> ||
    std::is_same_v<T, wchar_t> || std::is_same_v<T, char8_t> || std::is_same_v<T, char16_t> ||
    std::is_same_v<T, char32_t>;

// The conversion a value of type T fills: a text is a C string (null is the
// empty text), a std::string_view or a std::string; a whole number is of any
// integer type but bool and the character types.
template <class T>
constexpr Conversion conversion_of() {
    using Plain = std::remove_cvref_t<T>;
    if constexpr (std::is_integral_v<Plain> && !std::is_same_v<Plain, bool> && !is_character_v<Plain>) {
        return Conversion::kWhole;
    } else if constexpr (std::is_same_v<Plain, double>) {
        return Conversion::kReal;
    } else {
        static_assert(std::is_convertible_v<const T&, std::string_view>,
                      "a message value is a text, a whole number or a double");
        return Conversion::kText;
    }
}

// A format whose conversions match the value types Args one for one, in
// order; a format that does not, or holds another '%' conversion, does not
// compile: a value missing or too many is an error of the build. Made from a
// string literal, or a constexpr array of a table of texts, at the call.
template <class... Args>
class CheckedFormat {
public:
    template <std::size_t N>
    consteval CheckedFormat(const char (&format)[N]) : text_(format) {
        constexpr Conversion kWanted[] = {conversion_of<Args>()..., Conversion::kText};
        std::size_t next = 0;
        for (std::size_t i = 0; i + 1 < N; ++i) {
            if (format[i] != '%') continue;
            Conversion found;
            if (format[i + 1] == 's') {
                found = Conversion::kText;
            } else if (format[i + 1] == 'd') {
                found = Conversion::kWhole;
            } else if (format[i + 1] == 'l' && format[i + 2] == 'f') {
                found = Conversion::kReal;
                ++i;
            } else {
                fail("a '%' that is not %s, %d or %lf");
            }
            if (next >= sizeof...(Args) || kWanted[next] != found) {
                fail("a conversion that does not match its argument");
            }
            ++next;
            ++i;
        }
        if (next != sizeof...(Args)) fail("more arguments than conversions");
    }

    const char* text() const { return text_; }

private:
    // Not a constant expression: a call makes the format fail to compile.
    static void fail(const char* /*why*/) {}

    const char* text_;
};

namespace format_walk {

// Hands out the format's text up to the next conversion, then the value,
// and moves rest past the conversion.
template <class Out, class T>
void put(Out& out, const char*& rest, const T& value) {
    // The format was checked when it was compiled: the next '%' starts the
    // conversion this value fills.
    const char* percent = std::strchr(rest, '%');
    out.literal(std::string_view(rest, static_cast<std::size_t>(percent - rest)));
    rest = percent + (percent[1] == 'l' ? 3 : 2);
    if constexpr (conversion_of<T>() == Conversion::kWhole) {
        char digits[24];
        const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out.literal(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    } else if constexpr (conversion_of<T>() == Conversion::kReal) {
        char text[kLfBufferSize];
        out.literal(std::string_view(text, static_cast<std::size_t>(format_lf(value, text))));
    } else if constexpr (std::is_convertible_v<const T&, const char*>) {
        const char* text = value;
        out.value(text != nullptr ? std::string_view(text) : std::string_view());
    } else {
        out.value(std::string_view(value));
    }
}

}  // namespace format_walk

// Hands out a checked format filled with its values, in order, to out:
// out.literal(piece) for the format's own text and the digits of each "%d"
// and "%lf" value, out.value(text) for each "%s" value. The one walk of every
// message, whether it goes to the console, a file or a string.
template <class Out, class... Values>
void walk_format(Out& out, const CheckedFormat<std::type_identity_t<Values>...>& format, const Values&... values) {
    const char* rest = format.text();
    (format_walk::put(out, rest, values), ...);
    out.literal(std::string_view(rest));
}

}  // namespace trimora

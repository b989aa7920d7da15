// Console formats checked against their arguments when the program is compiled.
#pragma once

#include <cstddef>
#include <type_traits>

namespace trimora {

// The conversions of the tool's messages: "%s" takes a text, "%d" an int,
// "%lf" a double; every other character, LF included, is text.
enum class Conversion : char { kText = 's', kWhole = 'd', kReal = 'f' };

// The conversion an argument of type T fills.
template <class T>
constexpr Conversion conversion_of() {
    using Plain = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<Plain, int>) {
        return Conversion::kWhole;
    } else if constexpr (std::is_same_v<Plain, double>) {
        return Conversion::kReal;
    } else {
        static_assert(std::is_convertible_v<const T&, const char*>,
                      "a message argument is a text, an int or a double");
        return Conversion::kText;
    }
}

// A format whose conversions match the argument types Args one for one, in
// order; a format that does not, or holds another '%' conversion, does not
// compile. Made from a string literal at the call.
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

}  // namespace trimora

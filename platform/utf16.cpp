// UTF-8 and UTF-16 conversion of names, and the Windows device names.
#include "platform/utf16.h"

#include <array>
#include <cstdint>

namespace trimora {

namespace {

void append_utf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void append_utf16(std::u16string& out, std::uint32_t code) {
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
    } else {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 | code >> 10);
        out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
    }
}

bool is_high_surrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// The device names, the numbered ones with the digits Windows takes (1 to 9, and the
// superscripts one, two and three).
bool is_device_name(std::string_view base) {
    for (std::string_view name : {"con", "prn", "aux", "nul", "conin$", "conout$"})
        if (equal_ignoring_case(base, name)) return true;
    if (base.size() < 4) return false;
    const std::string_view prefix = base.substr(0, 3);
    if (!equal_ignoring_case(prefix, "com") && !equal_ignoring_case(prefix, "lpt")) return false;
    const std::string_view digit = base.substr(3);
    if (digit.size() == 1) return digit[0] >= '1' && digit[0] <= '9';
    return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace

std::string utf8_from_utf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint32_t unit = text[i];
        if (is_high_surrogate(unit) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
            append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

std::u16string utf16_from_utf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        std::uint32_t code = 0, least = 0;
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, code = lead & 0x1Fu, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, code = lead & 0x0Fu, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, code = lead & 0x07u, least = 0x10000;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        int taken = 0;
        while (taken < extra && i + 1 + taken < text.size() &&
               (static_cast<unsigned char>(text[i + 1 + taken]) & 0xC0) == 0x80) {
            code = code << 6 | (static_cast<unsigned char>(text[i + 1 + taken]) & 0x3Fu);
            ++taken;
        }
        if (taken < extra || code < least || code > 0x10FFFF) {
            out += u'\uFFFD';
            i += 1 + static_cast<std::size_t>(taken);
            continue;
        }
        append_utf16(out, code);
        i += 1 + static_cast<std::size_t>(extra);
    }
    return out;
}

std::string valid_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // The length of the sequence the lead byte starts, and the range of
        // its second byte, which rules out overlong forms, surrogates and
        // code points past U+10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = k == 1 ? next >= low && next <= high : (next & 0xC0) == 0x80;
        }
        if (valid) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

bool is_windows_device_path(std::string_view path) {
    // \\.\ and \\?\ reach the device namespace directly; only \\?\ followed by a drive or UNC
    // path is an ordinary file.
    if (path.size() >= 4 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
        (path[3] == '\\' || path[3] == '/')) {
        if (path[2] == '.') return true;
        if (path[2] == '?') {
            const std::string_view rest = path.substr(4);
            const bool drive = rest.size() >= 2 && rest[1] == ':';
            if (!drive && !equal_ignoring_case(rest.substr(0, 4), "unc\\")) return true;
        }
    }
    const std::size_t slash = path.find_last_of("\\/:");
    std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // The extension, and spaces before it or at the end, do not change the device.
    last = last.substr(0, last.find('.'));
    while (!last.empty() && last.back() == ' ') last.remove_suffix(1);
    return is_device_name(last);
}

}  // namespace trimora

// How values, the file and the line are put into the readers' problem texts.
#include "readers/reader_messages.h"

#include <charconv>

namespace trimora {

void append_clean(std::string& out, std::string_view text, std::size_t limit) {
    const bool cut = limit != 0 && text.size() > limit;
    if (cut) text = text.substr(0, limit);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    if (cut) out += "...";
}

void append_place(std::string& out, std::string_view file, std::uint64_t line) {
    out += " in [";
    append_clean(out, file, 0);
    out += ']';
    if (line > 0) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, line);
        out += " on line ";
        out.append(digits, result.ptr);
    }
}

}  // namespace trimora

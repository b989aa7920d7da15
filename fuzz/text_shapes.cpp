// Shapes of the texts the tool writes, checked without the tool's own code.
#include "fuzz/text_shapes.h"

#include <cstdlib>

namespace trimora::fuzz {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool all_digits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!is_digit(c)) return false;
    }
    return true;
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A token as the converter quotes it: printable characters other than the
// space, at most 127 of them; empty where a word was missing.
bool is_token(std::string_view text) {
    if (text.size() > 127) return false;
    for (char c : text) {
        if (c <= ' ' || c > '~') return false;
    }
    return true;
}

// "[token] on line n" or "[token] at line n" after a message's first words.
long quoted_token_and_line(std::string_view rest, std::string_view on_or_at) {
    const std::string_view tail = on_or_at;
    const std::size_t at = rest.rfind(tail);
    if (rest.empty() || rest[0] != '[' || at == std::string_view::npos) return -1;
    if (!is_token(rest.substr(1, at - 1))) return -1;
    const std::string_view number = rest.substr(at + tail.size());
    if (!is_count(number)) return -1;
    return std::strtol(std::string(number).c_str(), nullptr, 10);
}

}  // namespace

bool is_lf_text(std::string_view text) {
    if (text == "1.#INF00" || text == "-1.#INF00" || text == "-1.#IND00" || text == "1.#QNAN0" ||
        text == "-1.#QNAN0") {
        return true;
    }
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || point == 0) return false;
    return all_digits(text.substr(0, point)) && text.size() == point + 7 &&
           all_digits(text.substr(point + 1)) && (point == 1 || text[0] != '0');
}

bool split_crlf_lines(std::string_view text, std::vector<std::string_view>& lines) {
    lines.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n') return false;
            lines.push_back(text.substr(start, i - start));
            ++i;
            start = i + 1;
        } else if (text[i] == '\n') {
            return false;
        }
    }
    return start == text.size();
}

bool is_count(std::string_view text) {
    return all_digits(text) && (text.size() == 1 || text[0] != '0') && text.size() <= 10;
}

long problem_line_number(std::string_view line) {
    static constexpr std::string_view kQuoting[] = {
        "Unknown code word ", "Unexpected default case ", "Unexpected code word "};
    for (std::string_view words : kQuoting) {
        if (starts_with(line, words)) return quoted_token_and_line(line.substr(words.size()), "] on line ");
    }
    if (starts_with(line, "Too many vertices at line ")) {
        const std::string_view number = line.substr(26);
        return is_count(number) ? std::strtol(std::string(number).c_str(), nullptr, 10) : -1;
    }
    if (starts_with(line, "Wrong number of vertices [")) {
        const std::string_view rest = line.substr(25);
        // The count is 0, 1 or 2: a facet with three vertices is written.
        if (rest.size() < 4 || rest[0] != '[' || rest[1] < '0' || rest[1] > '2') return -1;
        const std::string_view tail = rest.substr(2);
        if (!starts_with(tail, "] at line ") || !is_count(tail.substr(10))) return -1;
        return std::strtol(std::string(tail.substr(10)).c_str(), nullptr, 10);
    }
    if (line == "Line list overflow: [5000]") return 0;
    return -1;
}

}  // namespace trimora::fuzz

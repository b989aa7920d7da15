// Bounded copy and append, extension replacement, line cleaning and space splitting.
#include "textutil/textutil.h"

#include <cstdint>
#include <cstring>

namespace trimora {

int copy_text(int len, char* destination, const char* source) {
    int i = 0;
    if (source != nullptr) {
        while (i < len - 1 && source[i] != '\0') {
            destination[i] = source[i];
            ++i;
        }
    }
    destination[i] = '\0';
    return i;
}

int append_text(int position, int len, char* destination, const char* source) {
    int p = position;
    if (p < 0) {
        p = 0;
        while (destination[p] != '\0') ++p;
    }
    if (source != nullptr) {
        while (p < len - 1 && *source != '\0') destination[p++] = *source++;
    }
    destination[p] = '\0';
    return p;
}

int strip_extension(char* name) {
    int i = 0;
    while (name[i] != '\0' && name[i] != '.') ++i;
    name[i] = '\0';
    return i;
}

int replace_extension(int len, char* name, const char* extension) {
    int p = strip_extension(name);
    if (extension == nullptr) return p;
    p = append_text(p, len, name, ".");
    return append_text(p, len, name, extension);
}

namespace {

// Whether a byte stays as it is in a cleaned line: printable, and not a
// capital when capitals are lowered. The NUL ends every scan.
struct UnchangedBytes {
    bool plain[256] = {};
    bool lowered[256] = {};
    constexpr UnchangedBytes() {
        for (int c = 32; c <= 126; ++c) {
            plain[c] = true;
            lowered[c] = c < 'A' || c > 'Z';
        }
    }
};
constexpr UnchangedBytes kUnchanged;

}  // namespace

int clean_line(int lower, char* line) {
    if (line == nullptr) return -1;
    // Most of a line needs no change: pass over it before copying anything.
    const bool* unchanged = lower != 0 ? kUnchanged.lowered : kUnchanged.plain;
    int r = 0;
    // Four at a time; the NUL is never unchanged, so no byte past it is read.
    while (unchanged[static_cast<unsigned char>(line[r])] &&
           unchanged[static_cast<unsigned char>(line[r + 1])] &&
           unchanged[static_cast<unsigned char>(line[r + 2])] &&
           unchanged[static_cast<unsigned char>(line[r + 3])]) {
        r += 4;
    }
    while (unchanged[static_cast<unsigned char>(line[r])]) ++r;
    int w = r;
    for (; line[r] != '\0'; ++r) {
        // Characters count as signed 8-bit values: every byte from 128 up is below 32.
        auto c = static_cast<signed char>(line[r]);
        if (lower != 0 && c >= 'A' && c <= 'Z') c = static_cast<signed char>(c + 32);
        if (c == '\t') c = ' ';
        if (c >= 32 && c <= 126) line[w++] = static_cast<char>(c);
    }
    line[w] = '\0';
    return w;
}

namespace {

// Whether any of the eight characters in word is below 32, above 126, or one
// of 'A' to 'Z'. Each test sets the high bit of such a byte; a carry or borrow
// starts only at such a byte, so the word is flagged exactly when it holds one.
bool has_unclean_byte(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    const std::uint64_t below_space = (word - kOnes * 0x20) & ~word;
    const std::uint64_t above_tilde = (word + kOnes) | word;  // 0x7F and up
    const std::uint64_t low = word & (kOnes * 0x7F);
    const std::uint64_t capital =
        (kOnes * (127 + 'Z' + 1) - low) & ~word & (low + kOnes * (127 - ('A' - 1)));
    return ((below_space | above_tilde | capital) & (kOnes * 0x80)) != 0;
}

}  // namespace

bool is_clean_lower(const char* text, int length) {
    if (length < 8) {
        for (int i = 0; i < length; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < 32 || c > 126 || (c >= 'A' && c <= 'Z')) return false;
        }
        return true;
    }
    std::uint64_t word;
    for (int i = 0; i + 8 < length; i += 8) {
        std::memcpy(&word, text + i, sizeof word);
        if (has_unclean_byte(word)) return false;
    }
    // The last eight characters, which may overlap those already seen.
    std::memcpy(&word, text + length - 8, sizeof word);
    return !has_unclean_byte(word);
}

char* skip_spaces(char* text) {
    while (*text == ' ') ++text;
    return text;
}

char* next_token(char*& cursor) {
    char* start = skip_spaces(cursor);
    char* end = start;
    while (*end != '\0' && *end != ' ') ++end;
    if (*end == ' ') {
        *end = '\0';
        cursor = end + 1;
    } else {
        cursor = end;
    }
    return start;
}

}  // namespace trimora

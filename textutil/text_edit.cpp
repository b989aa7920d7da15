// Bounded copy and append, extension replacement, line cleaning and space splitting.
#include "textutil/textutil.h"

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

// Fields ended by any delimiter, bracketed-name substitution and comment cutting.
#include <cstring>

#include "textutil/textutil.h"

namespace trimora {

namespace {

int field_flag = 0;

// Holds the text after a field while the field is replaced.
constexpr int kScratchSize = 1024;

// Index of the first entry of names equal to name, or -1.
int find_name(const char* name, int count, const char* const* names) {
    for (int i = 0; i < count; ++i) {
        if (names[i] != nullptr && std::strcmp(names[i], name) == 0) return i;
    }
    return -1;
}

}  // namespace

int find_char(const char* text, char c, int& missing) {
    int i = 0;
    while (text[i] != c && text[i] != '\0') ++i;
    missing = text[i] == c ? 0 : 1;
    return i;
}

char* next_field(char*& cursor, char delimiter) {
    field_flag = 0;
    char* const start = skip_spaces(cursor);
    char* end = start;
    while (*end != '\0' && *end != delimiter) ++end;
    if (*end == '\0') {
        cursor = end;
        return start;
    }
    *end = '\0';
    cursor = end + 1;
    field_flag = 1;
    return start;
}

int field_was_delimited() { return field_flag; }

int next_char(const char*& cursor) {
    if (cursor == nullptr) return 0;
    const char* at = cursor;
    while (*at == ' ') ++at;
    if (*at == '\0') {
        cursor = at;
        return 0;
    }
    cursor = at + 1;
    return static_cast<signed char>(*at);
}

int next_char(char*& cursor) {
    const char* read_only = cursor;
    const int c = next_char(read_only);
    cursor += read_only - static_cast<const char*>(cursor);
    return c;
}

int substitute_field(int len, char* text, char open, char close, int count,
                     const char* const* names, const char* const* values) {
    // A close with no open before it is plain text: the field is the one
    // ended by the first close that has an open before it.
    int open_at = -1;
    int close_at = -1;
    for (int i = 0; text[i] != '\0'; ++i) {
        if (text[i] == close && open_at >= 0) {
            close_at = i;
            break;
        }
        if (text[i] == open) open_at = i;
    }
    if (close_at < 0) return 0;

    text[close_at] = '\0';
    text[open_at] = '\0';
    char rest[kScratchSize];
    copy_text(kScratchSize, rest, text + close_at + 1);
    const int found = find_name(text + open_at + 1, count, names);
    int end = open_at;
    if (found >= 0) end = append_text(open_at, len, text, values[found]);
    append_text(end, len, text, rest);
    return 1;
}

int substitute_fields(int len, char* text, char open, char close, int count,
                      const char* const* names, const char* const* values) {
    if (text == nullptr || open == close) return 0;
    // A text that fits in len holds fewer than len fields; more calls can
    // only come from values that keep bringing their own fields back.
    int handled = 0;
    while (handled < len && substitute_field(len, text, open, close, count, names, values) == 1) {
        ++handled;
    }
    return handled;
}

void strip_comment(char* text) {
    if (text == nullptr || text[0] == '\0') return;
    // The length is taken first: every '$' up to the original end goes.
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '$') text[i] = '\0';
    }
}

}  // namespace trimora

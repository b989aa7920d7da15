// The text utility module: fixed-buffer text operations, the date stamp and clock helpers.
#pragma once

#include <cstdint>
#include <optional>

namespace trimora {

// Size of a Text buffer: at most 127 characters and the terminating NUL.
inline constexpr int kTextSize = 128;

// ---- Bounded copy and append, extensions, line cleaning, space splitting ----
//
// Bounded operations take the capacity len of the destination (NUL included,
// at least 1) before the destination; they store at most len - 1 characters,
// always write the NUL and truncate silently. A null source is the empty text.

// Copies source into destination; returns the number of characters copied.
int copy_text(int len, char* destination, const char* source);

// Writes source into destination from position on (a negative position means
// the end of the current text), replacing whatever stood there; returns the
// position of the NUL written.
int append_text(int position, int len, char* destination, const char* source);

// Cuts the name at its first '.'; returns where the text now ends.
int strip_extension(char* name);

// Replaces everything from the first '.' on by '.' and extension, as far as
// len allows; a null extension only cuts. Returns the position of the NUL.
int replace_extension(int len, char* name, const char* extension);

// Keeps only the characters 32 to 126 of the line, after turning a tab into a
// space and, when lower is not 0, 'A' to 'Z' into small letters. The line ends
// at its first NUL. Returns the new length, or -1 for a null line.
int clean_line(int lower, char* line);

// Returns the first character of text that is not a space, or its NUL.
char* skip_spaces(char* text);

// Cuts the next space-separated word off the text at cursor, in place, and
// moves the cursor past it. Returns the word, the empty text at the end.
char* next_token(char*& cursor);

// ---- Date stamp ----

// A clock: seconds since 1970-01-01 00:00:00 UTC.
using ClockSource = std::int64_t (*)();

// Replaces the system clock for every later clock reading (null restores the
// system clock), so that the date can be pinned down.
void set_clock_source(ClockSource source);

// Reads the clock; the value is also stored through seconds when it is not null.
std::int64_t read_clock(std::int64_t* seconds);

// Local calendar fields of one moment.
struct LocalTime {
    int year;
    int month;         // 0 to 11
    int day_of_month;  // 1 to 31
    int day_of_week;   // 0 (Sunday) to 6
    int hour;
    int minute;
    int second;
};

// The local time of seconds under the platform's time zone rules, or nothing
// when the platform cannot convert it.
std::optional<LocalTime> to_local_time(const std::int64_t& seconds);

// Writes the 24-character date text, as 'Thu Mar 05 09:04:07 2026', into
// buffer (at least 26 characters). Returns 1, or 0 with a null buffer or when
// the clock cannot be converted to local time.
int fill_date_stamp(char* buffer);

// The date text in the module's own buffer, valid until the next call; the
// empty text when the date cannot be had.
const char* date_stamp();

}  // namespace trimora

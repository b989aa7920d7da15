// The text utility module: fixed-buffer text operations, the date stamp and clock helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// True when each of the length characters at text is one of 32 to 126 and not
// 'A' to 'Z': clean_line(1, ...) would leave such a text as it is.
bool is_clean_lower(const char* text, int length);

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
char* date_stamp();

// ---- Strict number reading ----
//
// A number is a plain decimal number (digits, a sign only in front, at most
// one '.'), optionally followed by an exponent after D, E, d or e. The status
// says what the text was: 0 a number, 1 empty (or null where null is
// accepted), 2 a character that a number may not hold at that place. A part
// that is not a number counts as 0.0. No locale is consulted.

// The plain number in text (no exponent); text may be null.
double parse_plain_number(const char* text, int& status);

// 10 to the power n: exact constants from -9 to 9, exp(log(10.0) * n) beyond.
double power_of_ten(int n);

// The number in text, whose exponent is read as a whole number (and may hold
// an exponent of its own). Status is the worse of the parts. The text is
// written while the call runs and is the same again when it returns.
double parse_number(char* text, int& status);

// parse_number rounded to a whole number, halves upwards (2.5 gives 3, -2.5
// gives -2). Beyond the int range it is INT_MAX or INT_MIN; a NaN gives 0.
int parse_whole_number(char* text, int& status);

// As parse_number and parse_whole_number, but status 2 raises the number
// error flag instead of being returned.
double read_number(char* text);
int read_whole_number(char* text);

// The number error flag (0 or 1) raised since the last call; clears it.
int take_number_error();

// The number at the start of text after white space, without validation;
// status 1 for a null or empty text, else 0.
double parse_real(const char* text, int& status);

// ---- Delimited fields, bracketed-name substitution, comments ----

// Index of the first c in text, or the text's length; missing is 0 when the
// character there is c (so c = NUL gives the length and 0), else 1.
int find_char(const char* text, char c, int& missing);

// Cuts the next field off the text at cursor, in place: leading spaces are
// passed over and the field runs up to the delimiter, which becomes a NUL, or
// to the end of the text. Moves the cursor past it; a NUL delimiter never
// matches. Returns the field, the empty text at the end.
char* next_field(char*& cursor, char delimiter);

// 1 when the last next_field call ended its field at a delimiter (so another
// field, possibly empty, follows), else 0.
int field_was_delimited();

// The next character at cursor that is not a space, as a signed 8-bit value,
// and moves the cursor past it; 0 at the end or for a null cursor. Only reads.
int next_char(char*& cursor);
int next_char(const char*& cursor);

// Replaces the innermost bracketed name of text, the one between the last
// open before the first close that has an open before it, by its value from
// the parallel arrays names and values (first match wins), or removes it when
// the name is unknown. The rest after the field survives up to 1023
// characters; the result is cut to len - 1. Returns 1 when a field was
// handled, 0 when no such close remains. open and close must differ.
int substitute_field(int len, char* text, char open, char close, int count,
                     const char* const* names, const char* const* values);

// Calls substitute_field until nothing remains to be done, at most len times
// so that values that bring back their own field end; returns how many fields
// were handled. 0 for a null text or when open equals close.
int substitute_fields(int len, char* text, char open, char close, int count,
                      const char* const* names, const char* const* values);

// Overwrites every '$' of text with NUL, so that it ends before its first
// '$'; text may be null.
void strip_comment(char* text);

// ---- Clock operations ----

class TextOutput;

// The local time of day in seconds, 0 to 86399, read from the date text; -1
// when the date cannot be had.
int seconds_of_day();

// Waits busily until the time of day has passed n seconds (at most 300) after
// its start, or has fallen below it (midnight, a clock set back), or cannot
// be read. Returns at once for n <= 0.
void wait_seconds(int n);

// Writes text (when not null) and the date text as one line to file; nothing
// when file is null. When the date cannot be had, only the line end follows.
void write_time_stamp(TextOutput* file, const char* text);

// Writes the date text alone as a line to file; nothing when file is null.
void write_date_line(TextOutput* file);

// The same for a stream opened by the caller, written in text mode as the
// tool's own files are (LF as CR LF); a literal null means no file either.
void write_time_stamp(std::FILE* file, const char* text);
void write_date_line(std::FILE* file);
inline void write_time_stamp(std::nullptr_t, const char*) {}
inline void write_date_line(std::nullptr_t) {}

// ---- Status by address ----
//
// The readers above for callers that pass the status or the missing flag by
// address; a null address means the caller does not want it.

inline double parse_plain_number(const char* text, int* status) {
    int own = 0;
    return parse_plain_number(text, status != nullptr ? *status : own);
}
inline double parse_number(char* text, int* status) {
    int own = 0;
    return parse_number(text, status != nullptr ? *status : own);
}
inline int parse_whole_number(char* text, int* status) {
    int own = 0;
    return parse_whole_number(text, status != nullptr ? *status : own);
}
inline double parse_real(const char* text, int* status) {
    int own = 0;
    return parse_real(text, status != nullptr ? *status : own);
}
inline int find_char(const char* text, char c, int* missing) {
    int own = 0;
    return find_char(text, c, missing != nullptr ? *missing : own);
}

}  // namespace trimora

// Time of day, a bounded busy wait and time-stamp lines, all read from the date text.
#include "platform/text_output.h"
#include "textutil/textutil.h"

namespace trimora {

namespace {

// Every date buffer of the module holds 32 characters.
constexpr int kDateSize = 32;
constexpr int kLongestWait = 300;

int two_digits(const char* at) { return (at[0] - '0') * 10 + (at[1] - '0'); }

}  // namespace

int seconds_of_day() {
    char date[kDateSize];
    if (fill_date_stamp(date) == 0) return -1;
    // The date text holds the hour at 11-12, the minute at 14-15 and the second at 17-18.
    return two_digits(date + 11) * 3600 + two_digits(date + 14) * 60 + two_digits(date + 17);
}

void wait_seconds(int n) {
    if (n <= 0) return;
    if (n > kLongestWait) n = kLongestWait;
    const int start = seconds_of_day();
    if (start < 0) return;
    for (;;) {
        const int now = seconds_of_day();
        // A time below the start means midnight passed or the clock was set
        // back; a clock that cannot be read (-1) ends the wait the same way.
        if (now < start || now > start + n) return;
    }
}

void write_time_stamp(TextOutput* file, const char* text) {
    if (file == nullptr) return;
    if (text != nullptr) file->print("%s", text);
    char date[kDateSize];
    if (fill_date_stamp(date) == 0) date[0] = '\0';
    file->print("%s\n", date);
}

void write_date_line(TextOutput* file) { write_time_stamp(file, nullptr); }

void write_time_stamp(std::FILE* file, const char* text) {
    if (file == nullptr) return;
    TextOutput out(file);
    write_time_stamp(&out, text);
    out.flush();
}

void write_date_line(std::FILE* file) { write_time_stamp(file, nullptr); }

}  // namespace trimora

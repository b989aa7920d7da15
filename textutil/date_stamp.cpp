// The 24-character local date text and the clock it is read from.
#include <atomic>
#include <ctime>

#include "platform/system.h"
#include "textutil/textutil.h"

namespace trimora {

namespace {

// Read by conversions running side by side; set only by tests.
std::atomic<ClockSource> clock_source = nullptr;
char date_buffer[32] = "";

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Writes value as exactly width zero-filled digits; returns the position after them.
char* put_digits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

char* put_name(char* out, const char* name) {
    for (int i = 0; i < 3; ++i) *out++ = name[i];
    return out;
}

}  // namespace

void set_clock_source(ClockSource source) { clock_source = source; }

std::int64_t read_clock(std::int64_t* seconds) {
    const ClockSource source = clock_source.load();
    const std::int64_t now =
        source != nullptr ? source() : static_cast<std::int64_t>(std::time(nullptr));
    if (seconds != nullptr) *seconds = now;
    return now;
}

std::optional<LocalTime> to_local_time(const std::int64_t& seconds) {
    const auto moment = static_cast<std::time_t>(seconds);
    if (static_cast<std::int64_t>(moment) != seconds) return std::nullopt;
    std::tm fields{};
    if (!local_time(moment, fields)) return std::nullopt;
    return LocalTime{fields.tm_year + 1900, fields.tm_mon,  fields.tm_mday, fields.tm_wday,
                     fields.tm_hour,        fields.tm_min,  fields.tm_sec};
}

int fill_date_stamp(char* buffer) {
    if (buffer == nullptr) return 0;
    std::int64_t now = 0;
    read_clock(&now);
    const std::optional<LocalTime> local = to_local_time(now);
    // The text has room for a four-digit year only.
    if (!local || local->year < 0 || local->year > 9999) return 0;
    char* out = put_name(buffer, kDayNames[local->day_of_week]);
    *out++ = ' ';
    out = put_name(out, kMonthNames[local->month]);
    *out++ = ' ';
    out = put_digits(out, local->day_of_month, 2);
    *out++ = ' ';
    out = put_digits(out, local->hour, 2);
    *out++ = ':';
    out = put_digits(out, local->minute, 2);
    *out++ = ':';
    out = put_digits(out, local->second, 2);
    *out++ = ' ';
    out = put_digits(out, local->year, 4);
    // The text takes 26 characters with its newline, which is cut off.
    out[0] = '\0';
    out[1] = '\0';
    return 1;
}

char* date_stamp() {
    if (fill_date_stamp(date_buffer) == 0) date_buffer[0] = '\0';
    return date_buffer;
}

}  // namespace trimora

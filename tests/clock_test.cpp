// Time of day, the bounded wait and time-stamp lines, on a clock that the tests drive.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/text_output.h"
#include "run_tool.h"
#include "textutil/textutil.h"
#include "time_zone.h"

namespace trimora {
namespace {

// 2026-03-05 00:00:00 UTC, and 09:04:07 on that day.
constexpr std::int64_t kDay = 1772668800;
constexpr std::int64_t kMorning = kDay + 32647;
constexpr std::int64_t kBroken = INT64_MAX;  // no local time for it

// The clock answers each reading from a rule on how many readings came before.
using ClockRule = std::int64_t (*)(std::int64_t reading);
ClockRule clock_rule = nullptr;
std::int64_t readings = 0;

// Far more readings than any wait here needs: the clock then breaks, so that a
// wait that runs away ends and fails on its count instead of hanging.
constexpr std::int64_t kRunaway = 10000000;

std::int64_t scripted_clock() {
    const std::int64_t reading = readings++;
    return reading < kRunaway ? clock_rule(reading) : kBroken;
}

// Pins the time zone and drives the clock for one test, and puts both back after it.
class ClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::TimeZone::use("UTC0");
        use(nullptr);
    }
    void TearDown() override { set_clock_source(nullptr); }
    static void use(ClockRule rule) {
        clock_rule = rule;
        readings = 0;
        set_clock_source(rule != nullptr ? scripted_clock : nullptr);
    }

private:
    testing::TimeZone zone_;
};

std::int64_t fixed_moment = 0;
std::int64_t at_fixed_moment(std::int64_t) { return fixed_moment; }

TEST_F(ClockTest, SecondsOfDay) {
    const std::pair<std::int64_t, int> cases[] = {
        {kMorning, 32647},          {kDay + 86399, 86399}, {kDay, 0},
        {kDay + 43200, 43200},      {0, 0},                {kDay + 59, 59},
        {kDay + 3600 + 60 + 1, 3661},
    };
    use(at_fixed_moment);
    for (const auto& [moment, seconds] : cases) {
        SCOPED_TRACE(moment);
        fixed_moment = moment;
        EXPECT_EQ(seconds_of_day(), seconds);
    }
}

TEST_F(ClockTest, SecondsOfDayIsLocalTime) {
    testing::TimeZone::use("CET-1CEST,M3.5.0,M10.5.0/3");
    use(at_fixed_moment);
    fixed_moment = kMorning;
    EXPECT_EQ(seconds_of_day(), 32647 + 3600);
}

TEST_F(ClockTest, SecondsOfDayWithoutADateIsMinusOne) {
    use(at_fixed_moment);
    fixed_moment = kBroken;
    EXPECT_EQ(seconds_of_day(), -1);
}

// One second later on every reading.
std::int64_t ticking_from_morning(std::int64_t reading) { return kMorning + reading; }

TEST_F(ClockTest, WaitEndsAfterMoreThanNSeconds) {
    // The start reading, then readings until the time is past start + n.
    const std::pair<int, std::int64_t> cases[] = {
        {0, 0},     {-5, 0},    {INT_MIN, 0}, {1, 3},       {5, 7},
        {299, 301}, {300, 302}, {301, 302},   {1000, 302},  {INT_MAX, 302},
    };
    for (const auto& [n, expected_readings] : cases) {
        SCOPED_TRACE(n);
        use(ticking_from_morning);
        wait_seconds(n);
        EXPECT_EQ(readings, expected_readings);
    }
}

// One second later every thousand readings.
std::int64_t slow_from_morning(std::int64_t reading) { return kMorning + reading / 1000; }

TEST_F(ClockTest, WaitReadsTheClockContinuously) {
    use(slow_from_morning);
    wait_seconds(2);
    // Ends on the first reading of start + 3.
    EXPECT_EQ(readings, 3001);
}

std::int64_t ticking_before_midnight(std::int64_t reading) { return kDay + 86390 + reading; }

TEST_F(ClockTest, WaitAcrossMidnightEndsJustAfterIt) {
    use(ticking_before_midnight);
    wait_seconds(30);
    // 23:59:50 to 23:59:59, then 00:00:00 ends it.
    EXPECT_EQ(readings, 11);
    use(ticking_before_midnight);
    wait_seconds(5);
    EXPECT_EQ(readings, 7);
}

std::int64_t set_back(std::int64_t reading) {
    return reading < 2 ? kMorning + reading : kMorning - 100;
}

std::int64_t set_back_within_the_second(std::int64_t reading) {
    return reading < 2 ? kMorning + 5 + reading : kMorning + 4;
}

TEST_F(ClockTest, WaitEndsWhenTheClockIsSetBack) {
    use(set_back);
    wait_seconds(10);
    EXPECT_EQ(readings, 3);
    use(set_back_within_the_second);
    wait_seconds(10);
    EXPECT_EQ(readings, 3);
}

std::int64_t broken(std::int64_t) { return kBroken; }

std::int64_t breaks_during_the_wait(std::int64_t reading) {
    return reading < 2 ? kMorning + reading : kBroken;
}

TEST_F(ClockTest, WaitEndsWhenTheClockCannotBeRead) {
    use(broken);
    wait_seconds(10);
    EXPECT_EQ(readings, 1);
    use(breaks_during_the_wait);
    wait_seconds(300);
    EXPECT_EQ(readings, 3);
}

TEST_F(ClockTest, WaitOnTheSystemClock) {
    const int before = seconds_of_day();
    ASSERT_GE(before, 0);
    const auto start = std::chrono::steady_clock::now();
    wait_seconds(1);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const int after = seconds_of_day();
    if (after < before) GTEST_SKIP() << "the wait crossed midnight";
    // More than one and at most two seconds of the clock, with room for its steps.
    EXPECT_GE(after, before + 2);
    EXPECT_GE(elapsed, std::chrono::milliseconds(900));
    EXPECT_LT(elapsed, std::chrono::seconds(5));
}

// What the writer wrote to a fresh file, as bytes.
std::string written(void (*write)(TextOutput*)) {
    testing::TempDir dir;
    const std::string path = (dir / "stamp").string();
    TextOutput out;
    EXPECT_TRUE(out.open(path.c_str()));
    write(&out);
    EXPECT_TRUE(out.close());
    return testing::read_file(path);
}

TEST_F(ClockTest, TimeStampLines) {
    use(at_fixed_moment);
    fixed_moment = kMorning;
    EXPECT_EQ(written([](TextOutput* out) { write_time_stamp(out, "Run at "); }),
              "Run at Thu Mar 05 09:04:07 2026\r\n");
    EXPECT_EQ(written([](TextOutput* out) { write_time_stamp(out, nullptr); }),
              "Thu Mar 05 09:04:07 2026\r\n");
    EXPECT_EQ(written([](TextOutput* out) { write_time_stamp(out, ""); }),
              "Thu Mar 05 09:04:07 2026\r\n");
    EXPECT_EQ(written([](TextOutput* out) { write_time_stamp(out, "a\nb %d "); }),
              "a\r\nb %d Thu Mar 05 09:04:07 2026\r\n");
    EXPECT_EQ(written([](TextOutput* out) { write_date_line(out); }),
              "Thu Mar 05 09:04:07 2026\r\n");
    EXPECT_EQ(written([](TextOutput* out) {
                  write_time_stamp(out, "$ Start: ");
                  fixed_moment = kDay + 86399;
                  write_date_line(out);
              }),
              "$ Start: Thu Mar 05 09:04:07 2026\r\nThu Mar 05 23:59:59 2026\r\n");
}

TEST_F(ClockTest, TimeStampWithoutADateIsTheTextAndTheLineEnd) {
    use(broken);
    EXPECT_EQ(written([](TextOutput* out) { write_time_stamp(out, "Run at "); }), "Run at \r\n");
    EXPECT_EQ(written([](TextOutput* out) { write_date_line(out); }), "\r\n");
}

TEST_F(ClockTest, NullFileWritesNothingAndReadsNoClock) {
    use(ticking_from_morning);
    write_time_stamp(static_cast<TextOutput*>(nullptr), "Run at ");
    write_date_line(static_cast<TextOutput*>(nullptr));
    write_time_stamp(static_cast<std::FILE*>(nullptr), "Run at ");
    write_date_line(static_cast<std::FILE*>(nullptr));
    write_time_stamp(nullptr, "Run at ");
    write_date_line(nullptr);
    EXPECT_EQ(readings, 0);
}

// A stream the caller opened gets the same text-mode line as the tool's files.
TEST_F(ClockTest, TimeStampOnACallersStream) {
    use(at_fixed_moment);
    fixed_moment = kMorning;
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    write_time_stamp(stream, "Run at ");
    write_date_line(stream);
    const std::string text = testing::stream_text(stream);
    std::fclose(stream);
    EXPECT_EQ(text, "Run at Thu Mar 05 09:04:07 2026\r\nThu Mar 05 09:04:07 2026\r\n");
}

}  // namespace
}  // namespace trimora

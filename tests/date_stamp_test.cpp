// The date text for fixed moments in two time zones, one with daylight saving.
#include <gtest/gtest.h>

#include <string>

#include "textutil/textutil.h"
#include "time_zone.h"

namespace trimora {
namespace {

std::int64_t pinned_seconds = 0;
std::int64_t pinned_clock() { return pinned_seconds; }

// Pins the clock and the time zone for one test, and puts both back after it.
class DateStampTest : public ::testing::Test {
protected:
    void SetUp() override { set_clock_source(pinned_clock); }
    void TearDown() override { set_clock_source(nullptr); }
    static std::string stamp_at(std::int64_t seconds, const char* zone) {
        testing::TimeZone::use(zone);
        pinned_seconds = seconds;
        return date_stamp();
    }

private:
    testing::TimeZone zone_;
};

// POSIX zone rules need no time zone database on the machine.
constexpr const char* kUtc = "UTC0";
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";

TEST_F(DateStampTest, FormatsTheLocalTime_NeedsTzDaylightRules) {
    if (!testing::time_zone_rules_are_read()) GTEST_SKIP() << "the C library reads no daylight rules from TZ";
    // 2026-03-05 09:04:07 UTC.
    EXPECT_EQ(stamp_at(1772701447, kUtc), "Thu Mar 05 09:04:07 2026");
    // The same moment in winter time, one hour ahead.
    EXPECT_EQ(stamp_at(1772701447, kBerlin), "Thu Mar 05 10:04:07 2026");
    // 2026-07-01 00:00:00 UTC is 02:00 in summer time.
    EXPECT_EQ(stamp_at(1782864000, kBerlin), "Wed Jul 01 02:00:00 2026");
    EXPECT_EQ(stamp_at(1782864000, kUtc), "Wed Jul 01 00:00:00 2026");
    // The last second before the change to summer time, and the first after.
    EXPECT_EQ(stamp_at(1774746000 - 1, kBerlin), "Sun Mar 29 01:59:59 2026");
    EXPECT_EQ(stamp_at(1774746000, kBerlin), "Sun Mar 29 03:00:00 2026");
    EXPECT_EQ(stamp_at(0, kUtc), "Thu Jan 01 00:00:00 1970");
    EXPECT_EQ(stamp_at(1767225599, kUtc), "Wed Dec 31 23:59:59 2025");
}

TEST_F(DateStampTest, FillsTheCallersBuffer) {
    testing::TimeZone::use(kUtc);
    pinned_seconds = 1772701447;
    char buffer[32];
    std::fill(buffer, buffer + 32, 'x');
    EXPECT_EQ(fill_date_stamp(buffer), 1);
    EXPECT_EQ(std::string(buffer), "Thu Mar 05 09:04:07 2026");
    EXPECT_EQ(buffer[24], '\0');
    EXPECT_EQ(fill_date_stamp(nullptr), 0);
}

TEST_F(DateStampTest, ReturnsTheSameBufferEachTime) {
    const std::string first = stamp_at(0, kUtc);
    const char* buffer = date_stamp();
    pinned_seconds = 86400 * 3;
    EXPECT_EQ(date_stamp(), buffer);
    EXPECT_EQ(std::string(buffer), "Sun Jan 04 00:00:00 1970");
    EXPECT_EQ(first, "Thu Jan 01 00:00:00 1970");
}

TEST_F(DateStampTest, UnconvertibleTimeGivesTheEmptyText) {
    EXPECT_EQ(stamp_at(INT64_MAX, kUtc), "");
    char buffer[32];
    EXPECT_EQ(fill_date_stamp(buffer), 0);
}

TEST_F(DateStampTest, ReadClockStoresThroughTheReference) {
    pinned_seconds = 42;
    std::int64_t seen = 0;
    EXPECT_EQ(read_clock(&seen), 42);
    EXPECT_EQ(seen, 42);
    EXPECT_EQ(read_clock(nullptr), 42);
}

}  // namespace
}  // namespace trimora

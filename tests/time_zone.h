// Pins the TZ time zone for a test and puts the earlier setting back after it.
#pragma once

#include <cstdlib>
#include <string>

namespace trimora::testing {

// Sets the environment variable, or removes it when value is null, and makes the C library read
// the time zone again; the one thing here that differs between systems.
void set_time_zone_variable(const char* value);

// True where the C library reads daylight-saving rules such as "M3.5.0,M10.5.0/3" from TZ; the
// Windows runtime reads only the zone's names and offset.
bool time_zone_rules_are_read();

class TimeZone {
public:
    TimeZone() {
        const char* zone = std::getenv("TZ");
        had_zone_ = zone != nullptr;
        if (had_zone_) saved_ = zone;
    }
    ~TimeZone() {
        set_time_zone_variable(had_zone_ ? saved_.c_str() : nullptr);
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

    // POSIX rules such as "UTC0" need no time zone database on the machine.
    static void use(const char* zone) {
        set_time_zone_variable(zone);
    }

private:
    bool had_zone_ = false;
    std::string saved_;
};

}  // namespace trimora::testing

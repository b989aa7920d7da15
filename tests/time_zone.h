// Pins the TZ time zone for a test and puts the earlier setting back after it.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

namespace trimora::testing {

class TimeZone {
public:
    TimeZone() {
        const char* zone = std::getenv("TZ");
        had_zone_ = zone != nullptr;
        if (had_zone_) saved_ = zone;
    }
    ~TimeZone() {
        if (had_zone_) {
            setenv("TZ", saved_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

    // POSIX rules such as "UTC0" need no time zone database on the machine.
    static void use(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    bool had_zone_ = false;
    std::string saved_;
};

}  // namespace trimora::testing

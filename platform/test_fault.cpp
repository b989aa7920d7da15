// The armed test fault: one name, read from the environment once, checked with one atomic load.
#include "platform/test_fault.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace trimora {

namespace {

// The armed place's name: a static text, or one from the environment, which lives as long as
// the process.
std::atomic<const char*>& armed() {
    static std::atomic<const char*> place{std::getenv("TRIMORA_TEST_FAULT")};
    return place;
}

}  // namespace

void test_fault_point(const char* place) {
    const char* fault = armed().load(std::memory_order_relaxed);
    if (fault != nullptr && std::strcmp(fault, place) == 0) {
        throw std::logic_error(std::string("test fault: ") + place);
    }
}

void arm_test_fault(const char* place) { armed().store(place, std::memory_order_relaxed); }

}  // namespace trimora

// The heap use of a fuzz target, counted where the target links the counting operator new.
#pragma once

#include <cstddef>

namespace trimora::fuzz {

// Bytes held through operator new, counted from a start.
class HeapMeter {
public:
    virtual ~HeapMeter() = default;
    // Counts from now: the bytes held now are the base.
    virtual void restart() = 0;
    // The most bytes held above the base since the last restart.
    virtual std::size_t peak() const = 0;
};

// The meter of this program, or null where operator new is not counted (the tests).
extern HeapMeter* heap_meter;

}  // namespace trimora::fuzz

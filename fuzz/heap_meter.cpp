// Counting operator new and delete for the fuzz targets, so that their checks can bound memory.
#include "fuzz/heap_meter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace trimora::fuzz {

namespace {

// Each block carries its size in front, in a prefix that keeps the alignment malloc gives.
constexpr std::size_t kPrefix = 16;

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> base{0};
std::atomic<std::size_t> highest{0};

class CountingMeter final : public HeapMeter {
public:
    CountingMeter() noexcept { heap_meter = this; }
    void restart() override {
        base = held.load();
        highest = base.load();
    }
    std::size_t peak() const override { return highest.load() - base.load(); }
};

CountingMeter meter;

void* counted_new(std::size_t size) noexcept {
    void* block = std::malloc(size + kPrefix);
    if (block == nullptr) return nullptr;
    *static_cast<std::size_t*>(block) = size;
    const std::size_t now = held.fetch_add(size) + size;
    std::size_t seen = highest.load();
    while (now > seen && !highest.compare_exchange_weak(seen, now)) {
    }
    return static_cast<char*>(block) + kPrefix;
}

void counted_delete(void* pointer) noexcept {
    if (pointer == nullptr) return;
    void* block = static_cast<char*>(pointer) - kPrefix;
    held.fetch_sub(*static_cast<std::size_t*>(block));
    std::free(block);
}

void* counted_new_or_throw(std::size_t size) {
    void* pointer = counted_new(size);
    if (pointer == nullptr) throw std::bad_alloc();
    return pointer;
}

}  // namespace

}  // namespace trimora::fuzz

void* operator new(std::size_t size) { return trimora::fuzz::counted_new_or_throw(size); }
void* operator new[](std::size_t size) { return trimora::fuzz::counted_new_or_throw(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return trimora::fuzz::counted_new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return trimora::fuzz::counted_new(size); }
void operator delete(void* pointer) noexcept { trimora::fuzz::counted_delete(pointer); }
void operator delete[](void* pointer) noexcept { trimora::fuzz::counted_delete(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { trimora::fuzz::counted_delete(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { trimora::fuzz::counted_delete(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { trimora::fuzz::counted_delete(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { trimora::fuzz::counted_delete(pointer); }

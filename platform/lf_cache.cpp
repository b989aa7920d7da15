// Direct-mapped memory of short "%lf" texts.
#include "platform/lf_cache.h"

#include <bit>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/format_lf.h"

namespace trimora {

namespace {

// Caches kept between files: as many as files are written at once, and no
// more than a few.
constexpr std::size_t kMostKept = 8;

std::mutex kept_mutex;
std::vector<std::unique_ptr<LfCache>>& kept_caches() {
    static std::vector<std::unique_ptr<LfCache>> kept;
    return kept;
}

}  // namespace

LfCache::LfCache() {
    for (Slot& slot : slots_) slot.size = 0;
}

std::unique_ptr<LfCache> LfCache::take() {
    {
        const std::lock_guard lock(kept_mutex);
        auto& kept = kept_caches();
        if (!kept.empty()) {
            std::unique_ptr<LfCache> cache = std::move(kept.back());
            kept.pop_back();
            return cache;
        }
    }
    return std::make_unique<LfCache>();
}

void LfCache::give_back(std::unique_ptr<LfCache> cache) {
    const std::lock_guard lock(kept_mutex);
    auto& kept = kept_caches();
    if (!cache || kept.size() >= kMostKept) return;
    // Called as files close, destructors among them: a cache there is no
    // room to keep is freed instead.
    try {
        kept.push_back(std::move(cache));
    } catch (...) {
    }
}

int LfCache::format(double value, char* out) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    Slot& slot = slots_[(bits * 0x9e3779b97f4a7c15ULL) >> (64 - kSlotBits)];
    if (slot.size != 0 && slot.bits == bits) {
        // A fixed-size copy is faster than one of the text's own length.
        std::memcpy(out, slot.text, kMaxText);
        out[slot.size] = '\0';
        return slot.size;
    }
    const int size = format_lf(value, out);
    if (size <= kMaxText) {
        slot.bits = bits;
        slot.size = static_cast<std::uint8_t>(size);
        std::memcpy(slot.text, out, static_cast<std::size_t>(size));
    }
    return size;
}

}  // namespace trimora

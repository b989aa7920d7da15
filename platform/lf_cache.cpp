// Direct-mapped memory of short "%lf" texts.
#include "platform/lf_cache.h"

#include <bit>
#include <cstring>

#include "platform/format_lf.h"

namespace trimora {

LfCache::LfCache() {
    for (Slot& slot : slots_) slot.size = 0;
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

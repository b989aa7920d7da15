// A memory of recently formatted "%lf" texts: the coordinates of a mesh come
// back in every facet that shares their vertex.
#pragma once

#include <cstdint>
#include <memory>

namespace trimora {

// What it remembers stays true for any file, so one cache serves file after
// file: take() gives one back from the files before, and the caller returns
// it with give_back() when its file is written.
class LfCache {
public:
    LfCache();

    // A cache, kept from an earlier file when there is one; any thread.
    static std::unique_ptr<LfCache> take();
    // Keeps the cache for a later file; any thread.
    static void give_back(std::unique_ptr<LfCache> cache);

    // The same text as format_lf, taken from the memory when the value was
    // formatted lately. out has room for kLfBufferSize characters.
    int format(double value, char* out);

private:
    static constexpr int kSlotBits = 14;
    static constexpr int kMaxText = 23;
    // Keyed by the value's bits, so -0.0 and 0.0, and each NaN, keep their own text.
    struct Slot {
        std::uint64_t bits;
        std::uint8_t size;  // 0 for an empty slot: no text is empty
        char text[kMaxText];
    };
    Slot slots_[1 << kSlotBits];
};

}  // namespace trimora

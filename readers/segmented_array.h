// A growing array in segments of doubling size: nothing is ever moved, and no count is trusted ahead.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdlib>
#include <memory>

namespace trimora {

// Elements are appended one by one and read by index. Segment k holds
// kFirst << k elements, so the array takes at most twice the room of its
// elements (plus the first segment), and a new segment's pages are only
// touched as they fill: its resident memory stays close to sizeof(T) per
// element. Growing never copies, so there is no moment with two tables.
template <typename T>
class SegmentedArray {
public:
    static constexpr std::size_t kFirst = 256;

    SegmentedArray() = default;
    SegmentedArray(const SegmentedArray&) = delete;
    SegmentedArray& operator=(const SegmentedArray&) = delete;

    std::size_t size() const { return size_; }

    // Appends one element and returns it, uninitialised until written.
    T& push_back() {
        const Place place = place_of(size_);
        if (!segments_[place.segment]) segments_[place.segment].reset(new T[kFirst << place.segment]);
        ++size_;
        return segments_[place.segment][place.offset];
    }
    void push_back(const T& value) { push_back() = value; }

    // An index at or past the size is a bug of the caller: the program stops
    // rather than read what was never written.
    T& operator[](std::size_t index) {
        const Place place = checked_place_of(index);
        return segments_[place.segment][place.offset];
    }
    const T& operator[](std::size_t index) const {
        const Place place = checked_place_of(index);
        return segments_[place.segment][place.offset];
    }

    // Empties the array and lets its memory go.
    void clear() {
        for (auto& segment : segments_) segment.reset();
        size_ = 0;
    }

    // The bytes the segments take, allocated; touched pages may be fewer.
    std::size_t bytes_held() const {
        std::size_t bytes = 0;
        for (std::size_t k = 0; k < segments_.size(); ++k) {
            if (segments_[k]) bytes += (kFirst << k) * sizeof(T);
        }
        return bytes;
    }

private:
    struct Place {
        std::size_t segment;
        std::size_t offset;
    };

    Place checked_place_of(std::size_t index) const {
        if (index >= size_) std::abort();
        return place_of(index);
    }
    static Place place_of(std::size_t index) {
        const std::size_t shifted = index + kFirst;
        const std::size_t segment = static_cast<std::size_t>(std::bit_width(shifted)) - std::bit_width(kFirst);
        return {segment, shifted - (kFirst << segment)};
    }

    // Enough segments for any index a size_t can hold.
    std::array<std::unique_ptr<T[]>, sizeof(std::size_t) * 8 - 8> segments_;
    std::size_t size_ = 0;
};

}  // namespace trimora

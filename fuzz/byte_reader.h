// Typed values taken off the front of a fuzz input, so that one input drives several parameters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trimora::fuzz {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return size_ == 0; }

    // The next byte, or 0 once the input is used up.
    std::uint8_t byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }

    // A number from 0 to limit - 1 made of the next two bytes.
    int below(int limit) {
        const int high = byte();
        const int low = byte();
        return (high * 256 + low) % limit;
    }

    // A text of at most limit bytes: a length byte pair, then the bytes.
    std::string text(int limit) {
        std::size_t n = static_cast<std::size_t>(below(limit + 1));
        if (n > size_) n = size_;
        std::string result(reinterpret_cast<const char*>(data_), n);
        data_ += n;
        size_ -= n;
        return result;
    }

    // Everything that is left.
    std::string rest() {
        std::string result(reinterpret_cast<const char*>(data_), size_);
        data_ += size_;
        size_ = 0;
        return result;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace trimora::fuzz

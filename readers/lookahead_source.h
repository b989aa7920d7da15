// A byte source whose first bytes can be looked at before they are read, to tell what an input is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/byte_source.h"

namespace trimora {

// Reads another source, which must outlive it, and keeps the bytes looked at
// ahead until they are read. Its end and its failure are those of the other
// source, once every byte before them has been read.
class LookaheadSource final : public ByteSource {
public:
    explicit LookaheadSource(ByteSource& source) : source_(source) {}

    // The next n bytes, or fewer at the end of the data, without taking them.
    std::string_view look_ahead(std::size_t n);

    std::size_t read(void* buffer, std::size_t n) override;

private:
    // Takes on the other source's end or failure after a short read.
    void follow_source();

    ByteSource& source_;
    std::string ahead_;
    std::size_t ahead_pos_ = 0;
};

}  // namespace trimora

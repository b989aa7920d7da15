// The decompressed bytes of a gzip stream (one member or several) read from another byte source.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/byte_source.h"

namespace trimora {

// Inflates a gzip file as gzip -d does: member after member, each checked
// against its CRC and length. The data ends where the last member ends with
// the input, or with zero bytes up to the input's end (padding). A stream that stops inside a member is kCutShort; bad headers,
// bad data, a failed check, bytes after a member that start no new member or
// follow its padding are kCorrupt, with zlib's reason; a failure of the input is passed on.
// Data that grows beyond the inflation limit (inflation_limit.h) is
// kTooExpanded: a bomb is refused before it fills memory or disk.
class GzipSource final : public ByteSource {
public:
    // Reads the compressed bytes from input, which must outlive this source.
    explicit GzipSource(ByteSource& input);
    ~GzipSource() override;
    GzipSource(const GzipSource&) = delete;
    GzipSource& operator=(const GzipSource&) = delete;

    std::size_t read(void* buffer, std::size_t n) override;

private:
    struct State;
    // Reads the next compressed block, noting when it is the input's last.
    void refill();
    // Ends the data, or fails when the input failed or stopped inside a member.
    void stop_at_input_end(bool inside_member);

    ByteSource& input_;
    std::unique_ptr<State> state_;
};

}  // namespace trimora

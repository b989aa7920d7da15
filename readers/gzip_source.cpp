// gzip decompression through zlib's inflate, member after member.
#include "readers/gzip_source.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>

#include "readers/inflation_limit.h"

namespace trimora {

struct GzipSource::State {
    z_stream stream{};
    bool started = false;      // inflateInit2 succeeded
    bool member_done = false;  // the last member read so far ended with its check
    bool padding = false;      // zero bytes followed the last member
    bool input_done = false;   // the input has given its last byte
    std::uint64_t read_in = 0;    // compressed bytes read from the input
    std::uint64_t produced = 0;   // bytes given
    unsigned char input[1 << 16];
};

GzipSource::GzipSource(ByteSource& input) : input_(input), state_(new State) {
    // 16 + MAX_WBITS: a gzip header and trailer around the deflate data, nothing else.
    state_->started = inflateInit2(&state_->stream, 16 + MAX_WBITS) == Z_OK;
    if (!state_->started) set_failure(SourceFailure::kCorrupt, "zlib cannot start");
}

GzipSource::~GzipSource() {
    if (state_->started) inflateEnd(&state_->stream);
}

void GzipSource::refill() {
    const std::size_t got = input_.read(state_->input, sizeof state_->input);
    // A source gives fewer bytes than asked only at its end or on a failure.
    if (got < sizeof state_->input) state_->input_done = true;
    state_->read_in += got;
    state_->stream.next_in = state_->input;
    state_->stream.avail_in = static_cast<uInt>(got);
}

void GzipSource::stop_at_input_end(bool inside_member) {
    if (input_.failure() != SourceFailure::kNone) {
        set_failure(input_.failure(), input_.failure_detail());
    } else if (inside_member) {
        set_failure(SourceFailure::kCutShort);
    } else {
        set_ended();
    }
}

std::size_t GzipSource::read(void* buffer, std::size_t n) {
    if (ended() || failure() != SourceFailure::kNone) return 0;
    z_stream& z = state_->stream;
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (z.avail_in == 0 && !state_->input_done) refill();
        if (state_->member_done) {
            // Another member may follow; the data ends with the input. Zero
            // bytes after a member are padding (tape blocks), as gzip -d takes them.
            while (z.avail_in > 0 && *z.next_in == 0) {
                ++z.next_in;
                --z.avail_in;
                state_->padding = true;
                if (z.avail_in == 0 && !state_->input_done) refill();
            }
            if (z.avail_in == 0) {
                stop_at_input_end(false);
                break;
            }
            if (state_->padding) {
                set_failure(SourceFailure::kCorrupt, "data after zero padding");
                break;
            }
            inflateReset(&z);
            state_->member_done = false;
        }
        const auto chunk = static_cast<uInt>(std::min<std::size_t>(n - done, std::size_t{1} << 30));
        z.next_out = out + done;
        z.avail_out = chunk;
        const int result = inflate(&z, Z_NO_FLUSH);
        const uInt made = chunk - z.avail_out;
        done += made;
        state_->produced += made;
        if (beyond_inflation_limit(state_->produced, state_->read_in - z.avail_in)) {
            set_failure(SourceFailure::kTooExpanded);
            break;
        }
        if (result == Z_STREAM_END) {
            state_->member_done = true;
            continue;
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            set_failure(SourceFailure::kCorrupt, z.msg != nullptr ? z.msg : "inflate failed");
            break;
        }
        // Output held back for want of room comes out before a cut is told.
        if (made == 0 && z.avail_in == 0 && state_->input_done) {
            stop_at_input_end(true);
            break;
        }
    }
    return done;
}

}  // namespace trimora

// gzip decompression through zlib's inflate, member after member.
#include "readers/gzip_source.h"

#include <zlib.h>

#include <algorithm>

namespace trimora {

struct GzipSource::State {
    z_stream stream{};
    bool started = false;      // inflateInit2 succeeded
    bool member_done = false;  // the last member read so far ended with its check
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

bool GzipSource::refill(bool inside_member) {
    const std::size_t got = input_.read(state_->input, sizeof state_->input);
    if (got > 0) {
        state_->stream.next_in = state_->input;
        state_->stream.avail_in = static_cast<uInt>(got);
        return true;
    }
    if (input_.failure() != SourceFailure::kNone) {
        set_failure(input_.failure(), input_.failure_detail());
    } else if (inside_member) {
        set_failure(SourceFailure::kCutShort);
    }
    return false;
}

std::size_t GzipSource::read(void* buffer, std::size_t n) {
    if (ended() || failure() != SourceFailure::kNone) return 0;
    z_stream& z = state_->stream;
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (state_->member_done) {
            // Another member may follow; the data ends with the input.
            if (z.avail_in == 0 && !refill(false)) {
                if (failure() == SourceFailure::kNone) set_ended();
                break;
            }
            inflateReset(&z);
            state_->member_done = false;
        }
        if (z.avail_in == 0 && !refill(true)) break;
        const auto chunk = static_cast<uInt>(std::min<std::size_t>(n - done, std::size_t{1} << 30));
        z.next_out = out + done;
        z.avail_out = chunk;
        const int result = inflate(&z, Z_NO_FLUSH);
        done += chunk - z.avail_out;
        if (result == Z_STREAM_END) {
            state_->member_done = true;
        } else if (result == Z_OK || (result == Z_BUF_ERROR && z.avail_in == 0)) {
            continue;
        } else {
            set_failure(SourceFailure::kCorrupt, z.msg != nullptr ? z.msg : "inflate failed");
            break;
        }
    }
    return done;
}

}  // namespace trimora

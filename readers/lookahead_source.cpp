// Bytes looked at ahead and read again.
#include "readers/lookahead_source.h"

#include <algorithm>
#include <cstring>

namespace trimora {

std::string_view LookaheadSource::look_ahead(std::size_t n) {
    if (ahead_pos_ > 0) {
        ahead_.erase(0, ahead_pos_);
        ahead_pos_ = 0;
    }
    if (ahead_.size() < n) {
        const std::size_t had = ahead_.size();
        ahead_.resize(n);
        const std::size_t got = source_.read(ahead_.data() + had, n - had);
        ahead_.resize(had + got);
    }
    return std::string_view(ahead_).substr(0, std::min(n, ahead_.size()));
}

std::size_t LookaheadSource::read(void* buffer, std::size_t n) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    if (ahead_pos_ < ahead_.size()) {
        done = std::min(n, ahead_.size() - ahead_pos_);
        std::memcpy(out, ahead_.data() + ahead_pos_, done);
        ahead_pos_ += done;
    }
    if (done < n && ended() == false && failure() == SourceFailure::kNone) {
        // A source that met its end or failure gives nothing more.
        if (!source_.ended() && source_.failure() == SourceFailure::kNone) done += source_.read(out + done, n - done);
        if (done < n) follow_source();
    }
    return done;
}

void LookaheadSource::follow_source() {
    if (source_.failure() != SourceFailure::kNone) {
        set_failure(source_.failure(), source_.failure_detail());
    } else {
        set_ended();
    }
}

}  // namespace trimora

// Holding, spilling and streaming a job's report.
#include "cli/report_channel.h"

#include "cli/progress.h"
#include "platform/system.h"

namespace trimora {

ReportChannel::~ReportChannel() {
    if (spill_ != nullptr) std::fclose(spill_);
}

bool ReportChannel::write(const char* data, std::size_t size) {
    const std::lock_guard lock(mutex_);
    if (streaming_) {
        to_console(data, size);
        return true;
    }
    held_.append(data, size);
    if (held_.size() > kMemoryBound) {
        if (spill_ == nullptr) spill_ = open_scratch_file();
        // Without a temporary file the report stays whole in memory.
        if (spill_ != nullptr && std::fwrite(held_.data(), 1, held_.size(), spill_) == held_.size()) {
            held_.clear();
        }
    }
    return true;
}

void ReportChannel::stream() {
    const std::lock_guard lock(mutex_);
    flush_held_to_console();
    streaming_ = true;
}

void ReportChannel::print_held() {
    const std::lock_guard lock(mutex_);
    flush_held_to_console();
}

void ReportChannel::drop_held() {
    const std::lock_guard lock(mutex_);
    held_.clear();
    if (spill_ != nullptr) std::fclose(spill_);
    spill_ = nullptr;
}

void ReportChannel::flush_held_to_console() {
    if (spill_ != nullptr) {
        std::rewind(spill_);
        char block[1 << 16];
        for (std::size_t got; (got = std::fread(block, 1, sizeof block, spill_)) > 0;) {
            to_console(block, got);
        }
        std::fclose(spill_);
        spill_ = nullptr;
    }
    to_console(held_.data(), held_.size());
    held_.clear();
    held_.shrink_to_fit();
}

void ReportChannel::to_console(const char* data, std::size_t size) {
    if (size == 0) return;
    const std::lock_guard lock(console_.mutex);
    if (console_.progress != nullptr) console_.progress->erase();
    // Through a sink, which keeps the reason of a failure for the run's last word.
    StreamSink console(console_.stream);
    if (!console.write(data, size) || !console.flush()) console_.failed = true;
}

}  // namespace trimora

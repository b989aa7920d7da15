// The writer thread: one block at a time, failures remembered for the owner.
#include "platform/background_writer.h"

#include <utility>

namespace trimora {

BackgroundWriter::BackgroundWriter(BlockSink sink)
    : sink_(std::move(sink)), thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter() { finish(); }

void BackgroundWriter::write(const char* data, std::size_t size) {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return pending_ == nullptr; });
    pending_ = data;
    pending_size_ = size;
    work_.notify_one();
}

bool BackgroundWriter::finish() {
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return pending_ == nullptr; });
        stopping_ = true;
        work_.notify_one();
    }
    if (thread_.joinable()) thread_.join();
    return !failed();
}

void BackgroundWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return pending_ != nullptr || stopping_; });
        if (pending_ == nullptr) return;
        const char* data = pending_;
        const std::size_t size = pending_size_;
        lock.unlock();
        // After a failure nothing more is written: the file is lost anyway,
        // and the owner reports it once.
        if (!failed() && !sink_(data, size)) {
            failed_.store(true, std::memory_order_relaxed);
        }
        lock.lock();
        pending_ = nullptr;
        idle_.notify_one();
    }
}

}  // namespace trimora

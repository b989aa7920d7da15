// Writes blocks of a file on a second thread while the caller fills the next block.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>

namespace trimora {

// Hands whole blocks to a sink on its own thread, so that finishing and
// writing a large output overlaps the work of producing it. One block is in
// flight at a time; the caller must leave a block untouched until its next
// write or finish.
class BackgroundWriter {
public:
    // Writes a block; false when the file could not take it.
    using BlockSink = std::function<bool(const char* data, std::size_t size)>;

    // Starts the thread; throws std::system_error when it cannot.
    explicit BackgroundWriter(BlockSink sink);
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Waits until the block before is written, then starts on this one.
    void write(const char* data, std::size_t size);
    // Waits until every block is written and stops the thread; false when a
    // write failed.
    bool finish();
    bool failed() const { return failed_.load(std::memory_order_relaxed); }

private:
    void run();

    BlockSink sink_;
    std::atomic<bool> failed_{false};
    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable idle_;
    const char* pending_ = nullptr;
    std::size_t pending_size_ = 0;
    bool stopping_ = false;
    // Started last, when everything it uses is ready.
    std::thread thread_;
};

}  // namespace trimora

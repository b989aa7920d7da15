// Workers: a thread started on the first task, a queue in order, and the inline path without threads.
#include "platform/worker_thread.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

namespace trimora {

namespace {

bool inline_from_environment() {
    const char* value = std::getenv("TRIMORA_TEST_NO_THREADS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::atomic<bool>& forced_inline() {
    static std::atomic<bool> forced{inline_from_environment()};
    return forced;
}

}  // namespace

WorkerThread::~WorkerThread() {
    // The tasks end before the thread; a failure no wait passed on is dropped.
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    has_task_.notify_one();
    thread_.join();
}

std::uint64_t WorkerThread::run(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable() && !threadless_) {
        if (forced_inline().load(std::memory_order_relaxed)) {
            threadless_ = true;
        } else {
            try {
                thread_ = std::thread([this] { work(); });
            } catch (const std::system_error&) {
                threadless_ = true;
            } catch (const std::bad_alloc&) {
                threadless_ = true;
            }
        }
    }
    if (threadless_) {
        // No thread to be had: the task runs here, now. What it throws waits
        // for the next wait, as on the thread, so that both ways fail alike.
        const std::uint64_t ticket = ++handed_over_;
        done_ = ticket;
        lock.unlock();
        try {
            task();
        } catch (...) {
            lock.lock();
            if (!failure_) failure_ = std::current_exception();
        }
        return ticket;
    }
    tasks_.push_back(std::move(task));
    const std::uint64_t ticket = ++handed_over_;
    lock.unlock();
    has_task_.notify_one();
    return ticket;
}

void WorkerThread::wait(std::uint64_t ticket) {
    std::unique_lock lock(mutex_);
    task_done_.wait(lock, [&] { return done_ >= ticket; });
    pass_on_failure(lock);
}

void WorkerThread::wait_all() {
    std::unique_lock lock(mutex_);
    task_done_.wait(lock, [&] { return done_ >= handed_over_; });
    pass_on_failure(lock);
}

void WorkerThread::pass_on_failure(std::unique_lock<std::mutex>& lock) {
    if (!failure_) return;
    std::exception_ptr failure = std::move(failure_);
    failure_ = nullptr;
    lock.unlock();
    std::rethrow_exception(failure);
}

bool WorkerThread::has_run(std::uint64_t ticket) {
    std::lock_guard lock(mutex_);
    return done_ >= ticket;
}

// Runs the tasks in order until told to stop with none left.
void WorkerThread::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        has_task_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty()) return;
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        std::exception_ptr failure;
        try {
            task();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !failure_) failure_ = std::move(failure);
        ++done_;
        task_done_.notify_all();
    }
}

void force_inline_tasks(bool on) { forced_inline().store(on, std::memory_order_relaxed); }

}  // namespace trimora

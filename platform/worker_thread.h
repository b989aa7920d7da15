// The one way the tool starts a thread: a worker that runs the tasks handed to it, or runs them inline.
//
// Threads: tasks run one after another, in the order handed over, on the
// worker's thread; the queue, the counts and a task's failure are guarded by
// the mutex. Whatever a task reads or writes is its caller's to leave alone
// until wait() for its ticket returns. What a task throws (an allocation that
// failed, a fault) is thrown again to the caller by its next wait() or
// wait_all(), with a thread or without; the first failure is kept, and a
// failure no wait passed on is dropped with the worker.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace trimora {

// Threads are optional. Every thread of the tool is a worker started here, on
// its first task, and when the system gives none (a process limit, no memory
// for a stack, or the test hook below) each task runs on the calling thread
// before run() returns. Callers hand over bounded pieces of work that touch
// only what they are given, so that both ways give the same result; without
// threads the run is only slower.
class WorkerThread {
public:
    WorkerThread() = default;
    // Waits for every task, then ends the thread.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Hands the task over and returns its ticket, for wait(). Without a
    // thread the task has run by the time this returns.
    std::uint64_t run(std::function<void()> task);
    // Waits until the task of the ticket, and every task before it, has run;
    // throws what a task on the thread threw, once.
    void wait(std::uint64_t ticket);
    // Waits until every task handed over has run; throws as wait() does.
    void wait_all();
    // True once the task of the ticket has run; never waits.
    bool has_run(std::uint64_t ticket);
    // True when the tasks run on a thread of their own (so far).
    bool threaded() const { return thread_.joinable(); }

private:
    void work();
    // Throws the failure of a task, if one failed since the last wait.
    void pass_on_failure(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable has_task_;
    std::condition_variable task_done_;
    std::deque<std::function<void()>> tasks_;
    std::uint64_t handed_over_ = 0;
    std::uint64_t done_ = 0;
    std::exception_ptr failure_;
    bool stopping_ = false;
    bool threadless_ = false;  // a start failed: every task runs inline
    // Started last, when everything it uses is ready.
    std::thread thread_;
};

// For tests: while on, no worker starts a thread and every task runs inline,
// as on a system with no thread to give. The environment variable
// TRIMORA_TEST_NO_THREADS=1 turns it on for a whole process, so that
// end-to-end tests reach the same path.
void force_inline_tasks(bool on);

}  // namespace trimora

// Workers run every task once, in order, on a thread of their own or inline without threads.
#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace trimora {
namespace {

// Runs eight tasks on one worker; each notes the thread it ran on and the
// tasks that ran before it.
struct Record {
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    bool ran_before_run_returned = true;
};

Record run_eight(bool threads) {
    force_inline_tasks(!threads);
    Record record;
    {
        WorkerThread worker;
        for (int i = 0; i < 8; ++i) {
            const std::uint64_t ticket = worker.run([&record, i] {
                record.order.push_back(i);
                record.threads.push_back(std::this_thread::get_id());
            });
            if (!threads) record.ran_before_run_returned &= record.order.size() == ticket;
        }
        worker.wait_all();
    }
    force_inline_tasks(false);
    return record;
}

TEST(WorkerThread, RunsTasksInOrderOnAThreadOfItsOwn) {
    const Record record = run_eight(true);
    EXPECT_EQ(record.order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (const std::thread::id& id : record.threads) {
        EXPECT_EQ(id, record.threads.front());
        EXPECT_NE(id, std::this_thread::get_id());
    }
}

TEST(WorkerThread, RunsEachTaskInlineWhenThreadsAreForbidden) {
    const Record record = run_eight(false);
    EXPECT_EQ(record.order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(record.ran_before_run_returned);
    for (const std::thread::id& id : record.threads) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(WorkerThread, WaitReturnsOnceTheTicketsTaskHasRun) {
    WorkerThread worker;
    int first = 0;
    int second = 0;
    const std::uint64_t ticket = worker.run([&first] { first = 1; });
    worker.run([&second] { second = 2; });
    worker.wait(ticket);
    EXPECT_EQ(first, 1);
    worker.wait_all();
    EXPECT_EQ(second, 2);
}

// A task's exception reaches whoever waits next, once, on a thread or inline; the tasks after it
// still run, and the first failure is the one passed on.
TEST(WorkerThread, HandsATasksExceptionToTheNextWaitOnce) {
    for (const bool threads : {true, false}) {
        force_inline_tasks(!threads);
        WorkerThread worker;
        int after = 0;
        worker.run([] { throw std::runtime_error("first"); });
        worker.run([] { throw std::runtime_error("second"); });
        const std::uint64_t last = worker.run([&after] { after = 1; });
        try {
            worker.wait(last);
            ADD_FAILURE() << "no exception passed on, threads " << threads;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "first");
        }
        EXPECT_EQ(after, 1);
        EXPECT_NO_THROW(worker.wait_all());
        force_inline_tasks(false);
    }
}

}  // namespace
}  // namespace trimora

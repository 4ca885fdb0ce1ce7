#include "app/net/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using cad::platform::WorkerPool;
using namespace std::chrono_literals;

namespace {

// A one-shot gate jobs can wait on, so tests control when a worker is busy.
class Gate {
public:
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
};

// Polls `condition` for up to two seconds.
template <class Condition>
bool eventually(Condition condition)
{
    for (int i = 0; i < 400; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return condition();
}

} // namespace

TEST(WorkerPool, RunsEveryJobOnItsWorkers)
{
    WorkerPool pool;
    pool.start(3);
    std::mutex mutex;
    std::set<std::thread::id> threads;
    std::atomic<int> ran{0};
    for (int i = 0; i < 200; ++i) {
        pool.post([&] {
            {
                std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            ++ran;
        });
    }
    ASSERT_TRUE(eventually([&] { return ran.load() == 200; }));
    pool.stop();
    std::lock_guard lock(mutex);
    EXPECT_LE(threads.size(), 3u);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

TEST(WorkerPool, SingleWorkerKeepsPostingOrder)
{
    WorkerPool pool;
    pool.start(1);
    std::vector<int> order;
    std::atomic<int> ran{0};
    for (int i = 0; i < 50; ++i)
        pool.post([&, i] { order.push_back(i); ++ran; });
    ASSERT_TRUE(eventually([&] { return ran.load() == 50; }));
    pool.stop();
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[i], i);
}

TEST(WorkerPool, ZeroOrNegativeCountRunsNothing)
{
    for (int count : {0, -2}) {
        std::atomic<int> ran{0};
        {
            WorkerPool pool;
            pool.start(count);
            pool.post([&] { ++ran; });
            std::this_thread::sleep_for(50ms);
        } // the destructor discards the queued job
        EXPECT_EQ(ran.load(), 0) << "count " << count;
    }
}

TEST(WorkerPool, StopFinishesTheRunningJobAndDropsTheBacklog)
{
    WorkerPool pool;
    pool.start(1);
    Gate started, release;
    std::atomic<bool> firstFinished{false};
    std::atomic<int> backlogRan{0};
    pool.post([&] {
        started.open();
        release.wait();
        firstFinished = true;
    });
    for (int i = 0; i < 5; ++i)
        pool.post([&] { ++backlogRan; });
    started.wait();

    std::thread stopper([&] { pool.stop(); });
    std::this_thread::sleep_for(30ms); // let stop() raise the flag while the job still runs
    release.open();
    stopper.join();

    EXPECT_TRUE(firstFinished.load());
    EXPECT_EQ(backlogRan.load(), 0);
    pool.post([&] { ++backlogRan; }); // a stopped pool never runs new work
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(backlogRan.load(), 0);
}

TEST(WorkerPool, DiscardedJobsReleaseTheirCaptures)
{
    auto owned = std::make_shared<int>(7);
    std::weak_ptr<int> watch = owned;
    {
        WorkerPool pool; // never started
        pool.post([owned = std::move(owned)] { (void)owned; });
        EXPECT_FALSE(watch.expired());
    }
    EXPECT_TRUE(watch.expired());
}

TEST(WorkerPool, EmptyJobIsIgnoredAndWorkersKeepRunning)
{
    WorkerPool pool;
    pool.start(1);
    pool.post({});
    std::atomic<bool> ran{false};
    pool.post([&] { ran = true; });
    EXPECT_TRUE(eventually([&] { return ran.load(); }));
}

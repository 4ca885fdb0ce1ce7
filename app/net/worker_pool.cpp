#include "app/net/worker_pool.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace cad::platform {

struct WorkerPool::State {
    std::vector<std::thread> threads;
    std::deque<std::function<void()>> jobs;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;

    // Waits for the next job; returns an empty function once the pool is stopping.
    // The stop test comes first so a stopped pool drops its backlog.
    std::function<void()> next()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            if (stop)
                return {};
            if (!jobs.empty())
                break;
            wake.wait(lock);
        }
        std::function<void()> job = std::move(jobs.front());
        jobs.pop_front();
        return job;
    }

    void run()
    {
        while (std::function<void()> job = next())
            job();
    }
};

WorkerPool::WorkerPool()
    : m_state(std::make_unique<State>())
{
}

WorkerPool::~WorkerPool()
{
    stop();
}

void WorkerPool::start(int count)
{
    for (int i = 0; i < count; ++i)
        m_state->threads.emplace_back([state = m_state.get()] { state->run(); });
}

void WorkerPool::post(std::function<void()> job)
{
    // An empty job would read as the stop signal in the worker loop.
    if (!job)
        return;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->jobs.push_back(std::move(job));
    }
    m_state->wake.notify_one();
}

void WorkerPool::stop()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stop = true;
    }
    m_state->wake.notify_all();
    for (std::thread& thread : m_state->threads) {
        if (thread.joinable())
            thread.join();
    }
    m_state->threads.clear();
}

} // namespace cad::platform

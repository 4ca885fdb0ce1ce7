#pragma once
#include <functional>
#include <memory>

namespace cad::platform {

// A fixed set of threads running posted jobs in order of arrival.
//
//   WorkerPool pool;
//   pool.start(3);
//   pool.post([] { ... });   // runs on one of the three workers
//   pool.stop();             // finishes running jobs, drops the queued ones
//
// A pool that was never started (or started with 0) keeps its jobs and runs none of them.
class WorkerPool {
public:
    WorkerPool();
    // Stops the workers, then discards the jobs still queued without running them.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Launches `count` worker threads; does nothing when `count` <= 0.
    void start(int count);
    // Queues a job at the back and wakes one worker. Thread-safe.
    void post(std::function<void()> job);
    // Asks every worker to leave, then joins them. A job already running is finished;
    // queued jobs are never run, and jobs posted afterwards are never run either.
    void stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace cad::platform

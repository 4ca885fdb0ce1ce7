#pragma once
#include "app/net/http_result.h"
#include "app/net/transfer.h"
#include "app/net/worker_pool.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cad {

// The program's only HTTP client. Transfers run on worker threads; their callbacks are
// queued and run on the UI thread by poll(), once per frame.
//
//   net.requestPool.start(3);
//   net.downloadPool.start(2);
//   net.get(url, [](HttpResult r) { ... }, 25);
//   auto t = net.download(url, path, [](bool ok, const std::string& error) { ... }, false);
//   ... each frame: net.poll();
class Net {
public:
    using GetCallback = std::function<void(HttpResult)>;
    using DownloadCallback = std::function<void(bool ok, const std::string& error)>;

    // Calls curl_global_init; the pools are constructed but not started.
    Net();
    // shutdown(), then curl_global_cleanup().
    ~Net();
    Net(const Net&) = delete;
    Net& operator=(const Net&) = delete;

    // Fetches `url` into memory on requestPool. `done` runs exactly once on the UI thread,
    // unless shutdown() comes first. A body over 256 MiB fails ("Server response too large ...");
    // one stopped by cancelAll() fails with "cancelled".
    void get(const std::string& url, GetCallback done, long timeoutSeconds);

    // Streams `url` into `path` (through its own path + ".<pid>-<n>.part", renamed when complete) on
    // requestPool when `interactive`, else on downloadPool. `done` may be empty; when set it
    // runs once on the UI thread. The returned Transfer reports progress and takes cancel.
    std::shared_ptr<Transfer> download(const std::string& url, const std::string& path,
                                       DownloadCallback done, bool interactive);

    // Fetches a song to play into `path` like download(), on streamPool, so playback
    // never waits behind offline downloads. `done` may be empty.
    std::shared_ptr<Transfer> fetchStream(const std::string& url, const std::string& path,
                                          DownloadCallback done);

    // Runs every queued completion in posting order, on the calling (UI) thread. Completions
    // posted while it runs, including by the callbacks themselves, run in the same pass.
    void poll();

    // Stops requestPool, then downloadPool, waiting for running transfers, and drops every
    // completion not yet delivered without calling it.
    void shutdown();

    // Raises the cancel flag of every transfer still running or queued (downloads, stream
    // fetches and GETs); each reports "cancelled" soon after. For quitting:
    //   net.cancelAll(); net.stopPools(); net.poll(); ...save state...; net.shutdown();
    void cancelAll();
    // Stops and joins requestPool, downloadPool and streamPool (queued jobs are dropped, a
    // running one is finished first) but keeps the completions already posted, so a
    // following poll() still delivers them.
    void stopPools();

    // When true, new transfers skip TLS peer and host verification.
    std::atomic<bool> insecure{false};
    // Called on the worker thread after each completion is queued, so a UI loop
    // waiting for events runs poll() at once (the controller installs
    // vell::wakeEngine). Must be thread-safe; null calls nothing.
    std::atomic<void (*)()> wake{nullptr};
    platform::WorkerPool requestPool;  // API GETs and interactive downloads
    platform::WorkerPool downloadPool; // song downloads for offline use
    platform::WorkerPool streamPool;   // stream fetches and prefetches of songs to play

private:
    void post(std::function<void()> completion);
    // Remembers a transfer for cancelAll() and forgets the ones that ended.
    void track(const std::shared_ptr<Transfer>& transfer);
    std::shared_ptr<Transfer> fetchOn(platform::WorkerPool& pool, const std::string& url,
                                      const std::string& path, DownloadCallback done);

    std::mutex m_completionMutex;
    std::deque<std::function<void()>> m_completions;
    std::mutex m_liveMutex;
    std::vector<std::weak_ptr<Transfer>> m_live;
};

} // namespace cad

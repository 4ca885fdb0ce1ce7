#include "app/net/net.h"

#include "app/net/curl_transfer.h"

#include <curl/curl.h>

namespace cad {

Net::Net()
{
    curl_global_init(CURL_GLOBAL_ALL);
}

Net::~Net()
{
    shutdown();
    curl_global_cleanup();
}

void Net::get(const std::string& url, GetCallback done, long timeoutSeconds)
{
    // `done` is moved, never copied, into the completion: a copy left in the job would be
    // released on the worker, and the callback may own things only the UI thread may free.
    auto transfer = std::make_shared<Transfer>();
    track(transfer);
    requestPool.post([this, url, done = std::move(done), timeoutSeconds, transfer]() mutable {
        HttpResult result = performGet(url, timeoutSeconds, insecure.load(), kMaxGetBody, &transfer->cancel);
        transfer->done.store(true);
        post([done = std::move(done), result = std::move(result)]() mutable {
            if (done)
                done(std::move(result));
        });
    });
}

std::shared_ptr<Transfer> Net::download(const std::string& url, const std::string& path,
                                        DownloadCallback done, bool interactive)
{
    return fetchOn(interactive ? requestPool : downloadPool, url, path, std::move(done));
}

std::shared_ptr<Transfer> Net::fetchStream(const std::string& url, const std::string& path,
                                           DownloadCallback done)
{
    return fetchOn(streamPool, url, path, std::move(done));
}

std::shared_ptr<Transfer> Net::fetchOn(platform::WorkerPool& pool, const std::string& url,
                                       const std::string& path, DownloadCallback done)
{
    auto transfer = std::make_shared<Transfer>();
    transfer->partPath = temporaryPath(path);
    track(transfer);
    pool.post([this, url, path, done = std::move(done), transfer]() mutable {
        FetchOutcome outcome = fetchToFile(url, path, transfer->partPath, *transfer, insecure.load());
        post([done = std::move(done), outcome = std::move(outcome)] {
            if (done)
                done(outcome.ok, outcome.error);
        });
    });
    return transfer;
}

void Net::poll()
{
    for (;;) {
        std::function<void()> completion;
        {
            std::lock_guard lock(m_completionMutex);
            if (m_completions.empty())
                return;
            completion = std::move(m_completions.front());
            m_completions.pop_front();
        }
        completion();
    }
}

void Net::cancelAll()
{
    std::lock_guard lock(m_liveMutex);
    for (const std::weak_ptr<Transfer>& weak : m_live) {
        if (std::shared_ptr<Transfer> transfer = weak.lock())
            transfer->cancel.store(true);
    }
}

void Net::stopPools()
{
    requestPool.stop();
    downloadPool.stop();
    streamPool.stop();
}

void Net::shutdown()
{
    stopPools();
    // Destroy the dropped completions outside the lock: their captures may own anything.
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(m_completionMutex);
        dropped.swap(m_completions);
    }
}

void Net::track(const std::shared_ptr<Transfer>& transfer)
{
    std::lock_guard lock(m_liveMutex);
    std::erase_if(m_live, [](const std::weak_ptr<Transfer>& weak) {
        const std::shared_ptr<Transfer> live = weak.lock();
        return !live || live->done.load();
    });
    m_live.push_back(transfer);
}

void Net::post(std::function<void()> completion)
{
    {
        std::lock_guard lock(m_completionMutex);
        m_completions.push_back(std::move(completion));
    }
    if (auto wakeUp = wake.load())
        wakeUp();
}

} // namespace cad

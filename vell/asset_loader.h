#pragma once
#include "vell/image_asset.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

struct SDL_Renderer;
struct SDL_Surface;
struct SDL_Thread;
struct SDL_mutex;
struct SDL_cond;

namespace vell {

// Loads images (and any other slow file work) off the UI thread.
//
// One thread, "vell-assets", takes jobs in FIFO order. A job is a pair of functions: `work` runs on
// the loader thread, `finish` runs later on the UI thread when the engine calls pump() once per
// frame. Both queues share one SDL mutex and condition variable; the mutex is held only to push or
// pop one entry, never while a function runs.
//
// Images: image(path) returns a shared ImageAsset at once (state Loading); the file is decoded with
// SDL2_image on the loader thread, downscaled so its longest side is at most maxSide(), and turned
// into a texture on the UI thread during pump(). Ready textures are kept in a cache bounded by
// budget() bytes; over budget, the least recently requested assets that nobody but the cache holds
// are evicted. An asset a widget still holds is never evicted, even when that leaves the cache over
// budget. A failed path stays failed in the cache (no retry storm on every frame).
//
// Everything except the `work` functions runs on the UI thread.
//
//   AssetLoader loader;
//   loader.start(renderer, 96ull << 20, 1024);   // engine init
//   auto cover = loader.image(path);            // widget sets its path
//   loader.pump();                              // every frame
//   loader.stop();                              // engine shutdown
class AssetLoader {
public:
    using Task = std::function<void()>;

    AssetLoader() = default;
    ~AssetLoader(); // stop()
    AssetLoader(const AssetLoader&) = delete;
    AssetLoader& operator=(const AssetLoader&) = delete;

    // Creates the mutex, condition variable and the "vell-assets" thread (256 KiB stack) and
    // initialises SDL2_image for JPG, PNG and WEBP. `renderer` makes the textures; `budget` is the
    // texture byte budget; `maxSide` the largest side in pixels (0 or less: no downscaling).
    // Returns false (with SDL_GetError set) when the thread cannot be created.
    bool start(SDL_Renderer* renderer, uint64_t budget, int maxSide);

    // Stops the thread (waits for the job it is running), destroys queued jobs and unrun
    // completions without running them, destroys every cached texture (assets still held elsewhere
    // become texture-less so they never touch a dead renderer) and empties the cache.
    // Safe to call twice or without start().
    void stop();

    bool running() const { return m_thread != nullptr; }

    // The asset for `path`, starting a load when the path is not cached. Marks it as used this
    // frame. Without a running loader the returned asset is Failed and not cached.
    std::shared_ptr<ImageAsset> image(const std::string& path);

    // Queues a job: `work` on the loader thread, then `finish` on the UI thread in a later pump().
    // Returns false (and queues nothing) when the loader is not running.
    bool post(Task work, Task finish);

    // Once per frame on the UI thread: advances the frame count, then runs queued completions in
    // FIFO order until none are left or `budgetMs` milliseconds have passed. At least one waiting
    // completion runs per call. Returns how many ran.
    int pump(double budgetMs = 3.0);

    uint64_t budget() const { return m_budget; }
    void setBudget(uint64_t bytes) { m_budget = bytes; }
    int maxSide() const { return m_maxSide; }
    void setMaxSide(int pixels) { m_maxSide = pixels; } // applies to requests made afterwards

    uint64_t totalBytes() const { return m_totalBytes; } // bytes of ready cached textures
    // Bytes of textures dropped over budget since the last call of takeDroppedBytes().
    uint64_t droppedBytes() const { return m_droppedBytes; }
    uint64_t takeDroppedBytes() { return std::exchange(m_droppedBytes, 0); }
    uint64_t frameCount() const { return m_frame; }
    size_t cacheSize() const { return m_cache.size(); }
    bool cached(const std::string& path) const { return m_cache.count(path) != 0; }
    size_t queuedJobs() const;        // jobs not yet taken by the loader thread
    size_t waitingCompletions() const; // completions waiting for pump()

private:
    struct Job {
        Task work;
        Task finish;
    };

    static int threadMain(void* self);
    void serve();
    void finishImage(ImageAsset& asset, SDL_Surface* surface);
    void evictOverBudget();
    template <typename Queue>
    size_t lockedSize(const Queue& queue) const;

    SDL_Renderer* m_renderer = nullptr;
    uint64_t m_budget = 48ull << 20;
    int m_maxSide = 1024;
    uint32_t m_opaqueFormat = 0; // SDL_PIXELFORMAT_UNKNOWN until start()
    SDL_mutex* m_mutex = nullptr;
    SDL_cond* m_cond = nullptr;
    bool m_running = false; // guarded by m_mutex
    SDL_Thread* m_thread = nullptr;
    std::deque<Job> m_jobs;      // guarded by m_mutex
    std::deque<Task> m_finished; // guarded by m_mutex
    std::unordered_map<std::string, std::shared_ptr<ImageAsset>> m_cache;
    uint64_t m_totalBytes = 0;
    uint64_t m_droppedBytes = 0;
    uint64_t m_frame = 0;
};

} // namespace vell

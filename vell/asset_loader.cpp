#include "vell/asset_loader.h"
#include "vell/wake.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>

namespace vell {

namespace {

constexpr int kThreadStack = 256 * 1024;

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Shrinks `source` so its longest side is `maxSide`, keeping the aspect ratio (sides truncated,
// at least 1). Returns null when a step fails.
SurfacePtr downscale(SurfacePtr source, int maxSide)
{
    SurfacePtr argb(SDL_ConvertSurfaceFormat(source.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb)
        return nullptr;
    const int64_t longest = std::max(argb->w, argb->h);
    // Integer arithmetic: 3000 x 1500 at 1024 must give exactly 512, not 511.
    const int w = std::max<int64_t>(1, int64_t(argb->w) * maxSide / longest);
    const int h = std::max<int64_t>(1, int64_t(argb->h) * maxSide / longest);
    SurfacePtr scaled(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!scaled)
        return nullptr;
    SDL_SetSurfaceBlendMode(argb.get(), SDL_BLENDMODE_NONE);
    if (SDL_BlitScaled(argb.get(), nullptr, scaled.get(), nullptr) != 0)
        return nullptr;
    return scaled;
}

// The format SDL_CreateTextureFromSurface gives an opaque picture whose own format the
// renderer does not take (a JPEG's 24-bit pixels): its first format without alpha.
Uint32 opaqueTextureFormat(SDL_Renderer* renderer)
{
    SDL_RendererInfo info {};
    if (!renderer || SDL_GetRendererInfo(renderer, &info) != 0)
        return SDL_PIXELFORMAT_UNKNOWN;
    for (Uint32 i = 0; i < info.num_texture_formats; ++i) {
        const Uint32 format = info.texture_formats[i];
        if (!SDL_ISPIXELFORMAT_FOURCC(format) && !SDL_ISPIXELFORMAT_ALPHA(format))
            return format;
    }
    return SDL_PIXELFORMAT_UNKNOWN;
}

// Loader thread: the decoded (and possibly downscaled) surface, or null. An opaque
// picture is converted here to `opaqueFormat`, which the UI thread would otherwise
// do while making its texture (the same conversion, so the same pixels).
SurfacePtr decode(const std::string& path, int maxSide, Uint32 opaqueFormat)
{
    SurfacePtr surface(IMG_Load(path.c_str()));
    if (!surface)
        return nullptr;
    if (maxSide > 0 && (surface->w > maxSide || surface->h > maxSide))
        return downscale(std::move(surface), maxSide);
    const Uint32 format = surface->format->format;
    const bool plainOpaque = !SDL_ISPIXELFORMAT_ALPHA(format) && !SDL_ISPIXELFORMAT_INDEXED(format)
        && !SDL_ISPIXELFORMAT_FOURCC(format) && !SDL_HasColorKey(surface.get());
    if (plainOpaque && opaqueFormat != SDL_PIXELFORMAT_UNKNOWN && SDL_BYTESPERPIXEL(format) == 3) {
        if (SurfacePtr converted { SDL_ConvertSurfaceFormat(surface.get(), opaqueFormat, 0) })
            return converted;
    }
    return surface;
}

} // namespace

AssetLoader::~AssetLoader()
{
    stop();
}

bool AssetLoader::start(SDL_Renderer* renderer, uint64_t budget, int maxSide)
{
    if (running())
        return true;
    m_renderer = renderer;
    m_budget = budget;
    m_maxSide = maxSide;
    m_opaqueFormat = opaqueTextureFormat(renderer);
    // Initialised here, before the thread exists, so decoding never initialises codecs lazily
    // on the loader thread.
    IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG | IMG_INIT_WEBP);
    m_mutex = SDL_CreateMutex();
    m_cond = SDL_CreateCond();
    if (!m_mutex || !m_cond) {
        stop();
        return false;
    }
    m_running = true;
    m_thread = SDL_CreateThreadWithStackSize(threadMain, "vell-assets", kThreadStack, this);
    if (!m_thread) {
        m_running = false;
        stop();
        return false;
    }
    return true;
}

void AssetLoader::stop()
{
    if (m_thread) {
        SDL_LockMutex(m_mutex);
        m_running = false;
        SDL_CondSignal(m_cond);
        SDL_UnlockMutex(m_mutex);
        SDL_WaitThread(m_thread, nullptr);
        m_thread = nullptr;
    }
    // The thread is gone: the queues are ours alone. Their functions are destroyed unrun, which
    // frees whatever their shared slots still hold.
    m_jobs.clear();
    m_finished.clear();
    for (auto& [path, asset] : m_cache)
        asset->releaseTexture();
    m_cache.clear();
    m_totalBytes = 0;
    if (m_cond)
        SDL_DestroyCond(m_cond);
    if (m_mutex)
        SDL_DestroyMutex(m_mutex);
    m_cond = nullptr;
    m_mutex = nullptr;
}

int AssetLoader::threadMain(void* self)
{
    static_cast<AssetLoader*>(self)->serve();
    return 0;
}

void AssetLoader::serve()
{
    for (;;) {
        SDL_LockMutex(m_mutex);
        while (m_running && m_jobs.empty())
            SDL_CondWait(m_cond, m_mutex);
        if (!m_running) {
            SDL_UnlockMutex(m_mutex);
            return;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        SDL_UnlockMutex(m_mutex);

        if (job.work)
            job.work();
        job.work = nullptr;

        SDL_LockMutex(m_mutex);
        m_finished.push_back(std::move(job.finish));
        SDL_UnlockMutex(m_mutex);
        wakeEngine();
    }
}

bool AssetLoader::post(Task work, Task finish)
{
    if (!running())
        return false;
    SDL_LockMutex(m_mutex);
    m_jobs.push_back(Job{std::move(work), std::move(finish)});
    SDL_CondSignal(m_cond);
    SDL_UnlockMutex(m_mutex);
    return true;
}

std::shared_ptr<ImageAsset> AssetLoader::image(const std::string& path)
{
    if (auto found = m_cache.find(path); found != m_cache.end()) {
        found->second->lastUse = m_frame;
        return found->second;
    }
    auto asset = std::make_shared<ImageAsset>();
    asset->lastUse = m_frame;
    if (!running()) {
        asset->state = ImageAsset::Failed;
        return asset;
    }
    m_cache.emplace(path, asset);
    // The slot is shared by both halves; the queue's mutex orders the write before the read.
    auto slot = std::make_shared<SurfacePtr>();
    const int maxSide = m_maxSide;
    const Uint32 opaqueFormat = m_opaqueFormat;
    post([slot, path, maxSide, opaqueFormat] { *slot = decode(path, maxSide, opaqueFormat); },
         [this, slot, asset] { finishImage(*asset, slot->release()); });
    return asset;
}

void AssetLoader::finishImage(ImageAsset& asset, SDL_Surface* surface)
{
    if (surface) {
        asset.texture = SDL_CreateTextureFromSurface(m_renderer, surface);
        SDL_FreeSurface(surface);
    }
    if (!asset.texture) {
        asset.state = ImageAsset::Failed;
        return;
    }
    SDL_QueryTexture(asset.texture, nullptr, nullptr, &asset.width, &asset.height);
    SDL_SetTextureBlendMode(asset.texture, SDL_BLENDMODE_BLEND);
    asset.state = ImageAsset::Ready;
    asset.bytes = int64_t(asset.width) * asset.height * 4;
    m_totalBytes += uint64_t(asset.bytes);
    evictOverBudget();
}

void AssetLoader::evictOverBudget()
{
    while (m_totalBytes > m_budget) {
        auto victim = m_cache.end();
        for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
            const ImageAsset& asset = *it->second;
            if (!asset.ready() || it->second.use_count() != 1)
                continue;
            if (victim == m_cache.end() || asset.lastUse < victim->second->lastUse)
                victim = it;
        }
        if (victim == m_cache.end())
            return; // everything left is in use or not ready: stay over budget
        const uint64_t bytes = uint64_t(victim->second->bytes);
        m_totalBytes = bytes > m_totalBytes ? 0 : m_totalBytes - bytes;
        m_droppedBytes += bytes;
        m_cache.erase(victim);
    }
}

int AssetLoader::pump(double budgetMs)
{
    ++m_frame;
    if (!m_mutex)
        return 0;
    const uint64_t begin = SDL_GetPerformanceCounter();
    const double ticksPerMs = double(SDL_GetPerformanceFrequency()) / 1000.0;
    int ran = 0;
    for (;;) {
        SDL_LockMutex(m_mutex);
        if (m_finished.empty()) {
            SDL_UnlockMutex(m_mutex);
            break;
        }
        Task finish = std::move(m_finished.front());
        m_finished.pop_front();
        SDL_UnlockMutex(m_mutex);

        if (finish)
            finish();
        ++ran;
        if (double(SDL_GetPerformanceCounter() - begin) >= budgetMs * ticksPerMs)
            break;
    }
    return ran;
}

template <typename Queue>
size_t AssetLoader::lockedSize(const Queue& queue) const
{
    if (!m_mutex)
        return queue.size();
    SDL_LockMutex(m_mutex);
    const size_t n = queue.size();
    SDL_UnlockMutex(m_mutex);
    return n;
}

size_t AssetLoader::queuedJobs() const
{
    return lockedSize(m_jobs);
}

size_t AssetLoader::waitingCompletions() const
{
    return lockedSize(m_finished);
}

} // namespace vell

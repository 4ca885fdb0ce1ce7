#include "vell/asset_loader.h"

#include "support/media_files.h"
#include "support/temp_home.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

using testing_support::imageFiles;
using vell::AssetLoader;
using vell::ImageAsset;

constexpr int64_t kSmallBytes = 64 * 32 * 4;

class AssetLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::useHeadlessSdl();
        ASSERT_EQ(imageFiles().error, "");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = SDL_CreateWindow("assets", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        ASSERT_NE(renderer, nullptr) << SDL_GetError();
        ASSERT_TRUE(loader.start(renderer, 96ull << 20, 1024)) << SDL_GetError();
    }

    void TearDown() override
    {
        loader.stop();
        if (renderer)
            SDL_DestroyRenderer(renderer);
        if (window)
            SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // Pumps frames until `done` holds; generous, since sanitizers slow decoding down a lot.
    bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 20000)
    {
        const Uint64 end = SDL_GetTicks64() + Uint64(timeoutMs);
        while (!done()) {
            if (SDL_GetTicks64() > end)
                return false;
            loader.pump();
            SDL_Delay(1);
        }
        return true;
    }

    // Waits, without pumping, until the loader thread has finished `count` jobs.
    bool waitForCompletions(size_t count)
    {
        const Uint64 end = SDL_GetTicks64() + 20000;
        while (loader.waitingCompletions() < count) {
            if (SDL_GetTicks64() > end)
                return false;
            SDL_Delay(1);
        }
        return true;
    }

    bool settle(const std::shared_ptr<ImageAsset>& asset)
    {
        return pumpUntil([&] { return asset->state != ImageAsset::Loading; });
    }

    // A copy of the small image under its own name, so each is a separate cache entry.
    std::string smallCopy(const std::string& name)
    {
        const std::string path = dir.file(name + ".png");
        std::filesystem::copy_file(imageFiles().small, path);
        return path;
    }

    testing_support::TempDir dir;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    AssetLoader loader;
};

// A JPEG is converted to the renderer's texture format on the loader thread: the texture
// must be the one SDL makes from the decoded surface itself, format and pixels.
TEST_F(AssetLoaderTest, OpaquePicturesMatchTexturesMadeFromTheirOwnSurface)
{
    const auto asset = loader.image(imageFiles().square);
    ASSERT_TRUE(settle(asset));
    ASSERT_TRUE(asset->ready());
    SDL_Surface* decoded = IMG_Load(imageFiles().square.c_str());
    ASSERT_NE(decoded, nullptr);
    SDL_Texture* direct = SDL_CreateTextureFromSurface(renderer, decoded);
    SDL_FreeSurface(decoded);
    Uint32 loadedFormat = 0, directFormat = 0;
    SDL_QueryTexture(asset->texture, &loadedFormat, nullptr, nullptr, nullptr);
    SDL_QueryTexture(direct, &directFormat, nullptr, nullptr, nullptr);
    EXPECT_EQ(SDL_GetPixelFormatName(loadedFormat), SDL_GetPixelFormatName(directFormat));
    auto region = [&](SDL_Texture* texture, int at) {
        std::vector<Uint32> out(64 * 64);
        const SDL_Rect src { at, at, 64, 64 };
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        SDL_RenderCopy(renderer, texture, &src, nullptr);
        SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), 64 * 4);
        return out;
    };
    for (int at : { 0, 480, 960 })
        EXPECT_EQ(region(asset->texture, at), region(direct, at)) << "at " << at;
    SDL_DestroyTexture(direct);
}

TEST_F(AssetLoaderTest, ScalesTheLongestSideDownToTheLimit)
{
    auto wide = loader.image(imageFiles().wide);
    auto square = loader.image(imageFiles().square);
    EXPECT_EQ(wide->state, ImageAsset::Loading);
    ASSERT_TRUE(settle(wide));
    ASSERT_TRUE(settle(square));

    ASSERT_TRUE(wide->ready());
    EXPECT_EQ(wide->width, 1024);
    EXPECT_EQ(wide->height, 512);
    EXPECT_EQ(wide->bytes, 1024 * 512 * 4);
    ASSERT_TRUE(square->ready());
    EXPECT_EQ(square->width, 1024); // exactly at the limit: untouched
    EXPECT_EQ(square->height, 1024);
    EXPECT_EQ(loader.totalBytes(), uint64_t(wide->bytes + square->bytes));

    int w = 0, h = 0;
    ASSERT_EQ(SDL_QueryTexture(wide->texture, nullptr, nullptr, &w, &h), 0);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 512);
}

TEST_F(AssetLoaderTest, SmallerLimitKeepsAspectRatio)
{
    loader.setMaxSide(100);
    auto wide = loader.image(imageFiles().wide);
    ASSERT_TRUE(settle(wide));
    EXPECT_EQ(wide->width, 100);
    EXPECT_EQ(wide->height, 50);
}

TEST_F(AssetLoaderTest, RepeatedRequestsShareOneAssetAndRecordTheFrame)
{
    auto first = loader.image(imageFiles().small);
    auto second = loader.image(imageFiles().small);
    EXPECT_EQ(first, second);
    EXPECT_EQ(loader.cacheSize(), 1u);
    ASSERT_TRUE(settle(first));
    loader.pump();
    loader.pump();
    auto again = loader.image(imageFiles().small);
    EXPECT_EQ(again, first);
    EXPECT_EQ(again->lastUse, loader.frameCount());
    EXPECT_EQ(loader.totalBytes(), uint64_t(kSmallBytes));
}

TEST_F(AssetLoaderTest, UndecodableAndMissingFilesFailCleanly)
{
    auto broken = loader.image(imageFiles().broken);
    auto missing = loader.image(dir.file("nowhere.png"));
    ASSERT_TRUE(settle(broken));
    ASSERT_TRUE(settle(missing));
    for (const auto& asset : {broken, missing}) {
        EXPECT_EQ(asset->state, ImageAsset::Failed);
        EXPECT_EQ(asset->texture, nullptr);
        EXPECT_EQ(asset->bytes, 0);
    }
    EXPECT_EQ(loader.totalBytes(), 0u);
    // A failed path is not retried on every request.
    EXPECT_EQ(loader.image(imageFiles().broken), broken);
    EXPECT_EQ(loader.queuedJobs() + loader.waitingCompletions(), 0u);
}

TEST_F(AssetLoaderTest, EvictsTheLeastRecentlyRequestedUnheldAsset)
{
    loader.setBudget(3 * kSmallBytes);
    std::vector<std::string> paths;
    for (const char* name : {"a", "b", "c", "d"})
        paths.push_back(smallCopy(name));

    // One request per frame, nothing held afterwards: a is the oldest.
    for (const auto& path : paths)
        ASSERT_TRUE(settle(loader.image(path)));
    EXPECT_FALSE(loader.cached(paths[0]));
    EXPECT_TRUE(loader.cached(paths[1]));
    EXPECT_TRUE(loader.cached(paths[3]));
    EXPECT_EQ(loader.totalBytes(), uint64_t(3 * kSmallBytes));

    // Requesting b again makes c the oldest.
    loader.pump();
    loader.image(paths[1]);
    ASSERT_TRUE(settle(loader.image(paths[0])));
    EXPECT_FALSE(loader.cached(paths[2]));
    EXPECT_TRUE(loader.cached(paths[1]));
    EXPECT_TRUE(loader.cached(paths[0]));

    // An evicted path loads again on its next request.
    auto reloaded = loader.image(paths[2]);
    EXPECT_EQ(reloaded->state, ImageAsset::Loading);
    ASSERT_TRUE(settle(reloaded));
    EXPECT_TRUE(reloaded->ready());
}

TEST_F(AssetLoaderTest, HeldAssetsAreNeverEvictedEvenOverBudget)
{
    loader.setBudget(kSmallBytes);
    std::vector<std::shared_ptr<ImageAsset>> held;
    for (const char* name : {"a", "b", "c"}) {
        held.push_back(loader.image(smallCopy(name)));
        ASSERT_TRUE(settle(held.back()));
    }
    EXPECT_EQ(loader.cacheSize(), 3u);
    EXPECT_EQ(loader.totalBytes(), uint64_t(3 * kSmallBytes));
    for (const auto& asset : held)
        EXPECT_TRUE(asset->ready());

    // Let go of the oldest two: the next finished load evicts them, never the one still held.
    held[0].reset();
    held[1].reset();
    ASSERT_TRUE(settle(loader.image(smallCopy("d"))));
    EXPECT_EQ(loader.cacheSize(), 2u);
    EXPECT_TRUE(held[2]->ready());
    EXPECT_EQ(loader.totalBytes(), uint64_t(2 * kSmallBytes));
}

TEST_F(AssetLoaderTest, PumpStopsOnceItsTimeBudgetIsUsed)
{
    std::vector<int> order;
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(loader.post([] {}, [&order, i] { order.push_back(i); SDL_Delay(2); }));
    ASSERT_TRUE(waitForCompletions(10));

    // Each completion takes at least 2 ms, so a 3 ms pump runs one or two of them.
    const int ran = loader.pump();
    EXPECT_GE(ran, 1);
    EXPECT_LE(ran, 2);
    EXPECT_EQ(int(loader.waitingCompletions()), 10 - ran);
    ASSERT_TRUE(pumpUntil([&] { return loader.waitingCompletions() == 0; }));
    ASSERT_EQ(order.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(order[i], i); // FIFO
}

TEST_F(AssetLoaderTest, PumpRunsAtLeastOneCompletionEvenWithNoTimeLeft)
{
    int ran = 0;
    for (int i = 0; i < 3; ++i)
        loader.post([] {}, [&ran] { ++ran; });
    ASSERT_TRUE(waitForCompletions(3));
    const uint64_t frame = loader.frameCount();
    EXPECT_EQ(loader.pump(0.0), 1);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(loader.frameCount(), frame + 1);
}

TEST_F(AssetLoaderTest, StopDropsUnrunWorkAndReleasesTextures)
{
    auto shown = loader.image(imageFiles().small);
    ASSERT_TRUE(settle(shown));
    ASSERT_TRUE(shown->ready());

    auto token = std::make_shared<int>(1);
    std::weak_ptr<int> watch = token;
    bool finished = false;
    loader.post([] {}, [token, &finished] { finished = true; });
    token.reset();
    ASSERT_TRUE(waitForCompletions(1));

    loader.stop();
    EXPECT_FALSE(finished);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(shown->texture, nullptr); // never destroyed later against a dead renderer
    EXPECT_EQ(loader.cacheSize(), 0u);
    EXPECT_EQ(loader.totalBytes(), 0u);
    EXPECT_FALSE(loader.post([] {}, [] {}));
    EXPECT_EQ(loader.image(imageFiles().small)->state, ImageAsset::Failed);
}

TEST_F(AssetLoaderTest, ManyLoadsAcrossTheThreadSettle)
{
    std::vector<std::shared_ptr<ImageAsset>> assets;
    for (int i = 0; i < 24; ++i)
        assets.push_back(loader.image(smallCopy("n" + std::to_string(i))));
    std::atomic<int> worked{0};
    int finished = 0;
    for (int i = 0; i < 24; ++i)
        loader.post([&worked] { ++worked; }, [&finished] { ++finished; });
    ASSERT_TRUE(pumpUntil([&] { return finished == 24; }));
    EXPECT_EQ(worked.load(), 24);
    for (const auto& asset : assets)
        EXPECT_TRUE(asset->ready());
    EXPECT_EQ(loader.totalBytes(), uint64_t(24 * kSmallBytes));
}

} // namespace

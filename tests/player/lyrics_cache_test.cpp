#include "app/core/platform.h"
#include "app/core/store.h"
#include "app/net/credentials.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"
#include "app/player/lyrics_cache.h"
#include "support/subsonic_test_server.h"
#include "support/temp_home.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <fstream>

namespace {

using cad::LyricsCache;
using testing_support::Fault;
namespace platform = cad::platform;

cad::Song song(const std::string& id, const std::string& artist, const std::string& title)
{
    cad::Song s;
    s.id = id;
    s.artist = artist;
    s.title = title;
    return s;
}

const cad::Song kDawn = song("tr-1", "Aurora Lane", "Dawn");
const cad::Song kHaze = song("tr-2", "Aurora Lane", "Morning Haze");
const cad::Song kFjord = song("tr-6", "Aurora Lane", "Fjord"); // no lyrics

// The lyrics cache against our test server, signed in as its demo account.
class ThreadedLyricsCache : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << server.error();
        store.load();
        store.url = server.baseUrl();
        store.user = server.user();
        store.salt = "salt1";
        store.token = cad::makeToken(server.password(), "salt1");
        subsonic.configure({store.url, store.user, store.salt, store.token});
        net.requestPool.start(2);
        cache.language = "en";
    }
    void TearDown() override { net.shutdown(); }

    const LyricsCache::Entry& await(const cad::Song& s) { return await(cache, s); }
    const LyricsCache::Entry& await(LyricsCache& cache, const cad::Song& s)
    {
        const uint64_t end = SDL_GetTicks64() + 20000;
        while (cache.get(s).state == LyricsCache::Loading && SDL_GetTicks64() < end) {
            net.poll();
            SDL_Delay(2);
        }
        return cache.get(s);
    }

    std::vector<std::string> endpoints()
    {
        std::vector<std::string> out;
        for (const auto& r : server.requests())
            out.push_back(r.endpoint);
        return out;
    }

    testing_support::TempHome home;
    testing_support::SubsonicTestServer server;
    cad::Net net;
    cad::Subsonic subsonic{net};
    cad::Store store;
    LyricsCache cache{subsonic, store};
};

TEST_F(ThreadedLyricsCache, StructuredOnceEachThenSavedBesideADownloadForOffline)
{
    const auto& dawn = await(kDawn);
    ASSERT_EQ(dawn.state, LyricsCache::Ready) << dawn.error;
    ASSERT_EQ(dawn.all.size(), 2u);
    EXPECT_EQ(dawn.all[static_cast<size_t>(dawn.chosen)].lang, "eng");
    EXPECT_TRUE(dawn.all[0].synced);
    const auto& haze = await(kHaze);
    EXPECT_EQ(haze.all.at(0).lines.at(0).text, "Утренний туман над рекой");
    EXPECT_FALSE(haze.all[0].synced);
    EXPECT_TRUE(await(kFjord).all.empty());
    EXPECT_EQ(await(kFjord).chosen, -1);
    await(kDawn);
    EXPECT_EQ(endpoints(), (std::vector<std::string>{"getOpenSubsonicExtensions", "getLyricsBySongId",
                                                     "getLyricsBySongId", "getLyricsBySongId"}));

    // Downloaded after its lyrics were known: they are written beside the file.
    const std::string file = home.dataDir() + "/offline/tr-1.mp3";
    std::ofstream(file) << "mp3";
    store.addOffline(kDawn, file);
    cache.follow({kDawn, kHaze}, store.offlineCount);
    ASSERT_TRUE(platform::fileExists(home.dataDir() + "/offline/tr-1.lyrics.json"));

    // A new run, offline: the download's lyrics come from the file, the others can't.
    LyricsCache again{subsonic, store};
    again.offline = true;
    EXPECT_EQ(again.get(kDawn).state, LyricsCache::Ready);
    EXPECT_EQ(again.get(kDawn).all.size(), 2u);
    EXPECT_EQ(again.get(kHaze).state, LyricsCache::Failed);
    EXPECT_EQ(again.get(kHaze).error, "Lyrics aren't available offline");
    again.offline = false;
    again.forgetFailures();
    EXPECT_EQ(again.get(kDawn).state, LyricsCache::Ready) << "kept";
    EXPECT_EQ(again.get(kHaze).state, LyricsCache::Loading) << "fetched again";
    again.retry(kHaze); // nothing while it loads
    EXPECT_EQ(again.get(kHaze).state, LyricsCache::Loading);
    EXPECT_EQ(await(again, kHaze).state, LyricsCache::Ready);

    // Songs that left the queue are forgotten and fetched again when they return.
    cache.follow({kHaze}, store.offlineCount);
    server.clearRequests();
    await(kFjord);
    EXPECT_EQ(endpoints(), std::vector<std::string>{"getLyricsBySongId"});
}

TEST_F(ThreadedLyricsCache, WithoutTheExtensionByArtistAndTitleAndFailuresSayWhy)
{
    ASSERT_TRUE(server.injectFault({.endpoint = "getOpenSubsonicExtensions", .status = 404}));
    const auto& haze = await(kHaze);
    ASSERT_EQ(haze.state, LyricsCache::Ready) << haze.error;
    ASSERT_EQ(haze.all.size(), 1u);
    EXPECT_EQ(haze.all[0].lines.size(), 5u);
    EXPECT_EQ(haze.all[0].lines[2].text, "");
    EXPECT_TRUE(await(kFjord).all.empty());
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].endpoint, "getLyrics");
    EXPECT_EQ(requests[1].param("title"), "Morning Haze");

    ASSERT_TRUE(server.injectFault({.endpoint = "getLyrics", .subsonicError = true, .errorMessage = "Lyrics are off"}));
    const auto& failed = await(kDawn);
    EXPECT_EQ(failed.state, LyricsCache::Failed);
    EXPECT_EQ(failed.error, "Lyrics are off");
    cache.retry(kDawn);
    EXPECT_EQ(await(kDawn).state, LyricsCache::Ready);
}

} // namespace

#include "player_fixture.h"

#include "app/net/credentials.h"
#include "app/player/stream_cache_trim.h"
#include "support/subsonic_test_server.h"

#include <algorithm>
#include <filesystem>

namespace {

using namespace player_testing;
namespace fs = std::filesystem;
using testing_support::Fault;

// The player against our test server, signed in as its demo account.
class ThreadedPlayerNet : public PlayerTest {
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        ASSERT_TRUE(server.ok()) << server.error();
        subsonic.configure({server.baseUrl(), server.user(), "salt1", cad::makeToken(server.password(), "salt1")});
    }

    std::vector<testing_support::RecordedRequest> requestsTo(const std::string& endpoint)
    {
        auto all = server.requests();
        std::erase_if(all, [&](const auto& r) { return r.endpoint != endpoint; });
        return all;
    }

    // No transfer is writing or about to move a file into the cache.
    bool cacheSettled()
    {
        for (const auto& file : platform::listFiles(home.cacheDir() + "/tracks")) {
            if (file.path.ends_with(".part") || file.path.ends_with(".fetch"))
                return false;
        }
        return true;
    }

    std::string account() const { return server.baseUrl() + "\n" + server.user(); }

    testing_support::SubsonicTestServer server;
};

const cad::Song kDawn = [] { cad::Song s; s.id = "tr-1"; s.title = "Dawn"; s.suffix = "mp3"; s.duration = 2; return s; }();
const cad::Song kHaze = [] { cad::Song s; s.id = "tr-2"; s.title = "Morning Haze"; s.suffix = "mp3"; s.duration = 3; return s; }();

TEST_F(ThreadedPlayerNet, ASecondQuickPlayCancelsTheFirstFetchSilently)
{
    ASSERT_TRUE(server.injectFault({.endpoint = "stream", .throttleBytesPerSecond = 4000}));
    player->setQueue({kDawn, kHaze}, 0);
    EXPECT_TRUE(player->fetching);
    ASSERT_TRUE(runUntil([&] { return requestsTo("stream").size() == 1; })); // the slow one
    player->playIndex(1);
    ASSERT_TRUE(playing());
    EXPECT_EQ(music.path(), player->cachePath(kHaze));
    ASSERT_TRUE(runUntil([&] { return cacheSettled(); }));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(fs::exists(player->cachePath(kDawn))); // cancelled: no partial file left behind
    EXPECT_GT(platform::fileSize(player->cachePath(kHaze)), 0);
}

TEST_F(ThreadedPlayerNet, EmptyCacheFilesAndAQualityChangeFetchAgain)
{
    store.streamKbps = 0;
    platform::makeDirs(home.cacheDir() + "/tracks");
    std::ofstream(player->cachePath(kDawn)).flush();
    EXPECT_TRUE(player->cachePath(kDawn).ends_with("/tracks/tr-1_0.mp3"));

    struct Row { int kbps; std::string file; size_t streams; };
    for (const Row& row : {Row{0, "tr-1_0.mp3", 1}, Row{320, "tr-1_320.mp3", 2}, Row{320, "tr-1_320.mp3", 2}}) {
        SCOPED_TRACE(row.kbps);
        store.streamKbps = row.kbps;
        player->setQueue({kDawn}, 0);
        ASSERT_TRUE(playing());
        EXPECT_EQ(music.path(), home.cacheDir() + "/tracks/" + row.file);
        EXPECT_EQ(requestsTo("stream").size(), row.streams);
    }
    EXPECT_EQ(requestsTo("stream").back().param("maxBitRate"), "320");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ThreadedPlayerNet, FetchFailuresSayWhyAndHostileIdsStayInTheCache)
{
    store.streamKbps = 0;
    ASSERT_TRUE(server.injectFault({.endpoint = "stream", .status = 500}));
    cad::Song hostile = kDawn;
    hostile.id = "../../x";
    hostile.suffix = "../y";
    hostile.title = "Evil";
    struct Row { cad::Song song; std::string message; };
    for (const Row& row : {Row{kDawn, "Couldn't load \"Dawn\" (HTTP 500)"},
                           Row{hostile, "Couldn't load \"Evil\" (Server returned an error)"}}) {
        messages.clear();
        player->setQueue({row.song}, 0);
        ASSERT_TRUE(runUntil([&] { return !player->fetching; }));
        EXPECT_EQ(messages, std::vector<std::string>{row.message});
        EXPECT_FALSE(player->active);
        EXPECT_EQ(player->index, 0);
    }
    // Even a stream that arrives lands inside the cache folder under a safe name.
    ASSERT_TRUE(server.injectFault({.endpoint = "stream", .body = std::string(4096, 'a'), .contentType = "audio/mpeg"}));
    player->playIndex(0);
    ASSERT_TRUE(runUntil([&] { return !player->fetching && cacheSettled(); }));
    const std::string tracks = home.cacheDir() + "/tracks/";
    EXPECT_TRUE(player->cachePath(hostile).starts_with(tracks));
    EXPECT_TRUE(player->cachePath(hostile).ends_with(".audio"));
    for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file()) {
            EXPECT_TRUE(path.starts_with(tracks) || path.starts_with(home.dataDir())) << path;
        }
    }
    EXPECT_FALSE(fs::exists(fs::path(home.path()).parent_path() / "x_0.audio"));
}

TEST_F(ThreadedPlayerNet, PrefetchFillsTheCacheAndFetchesKeepItBounded)
{
    const std::string tracks = home.cacheDir() + "/tracks/";
    platform::makeDirs(tracks);
    const uintmax_t quarter = cad::kStreamCacheLimit / 4;
    for (int age : {400, 300, 200, 100}) {
        const std::string old = tracks + "old" + std::to_string(age);
        std::ofstream(old).put('x');
        fs::resize_file(old, quarter);
        fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::seconds(age));
    }
    player->setQueue({kDawn, kHaze}, 0);
    ASSERT_TRUE(playing());
    ASSERT_TRUE(runUntil([&] { return platform::fileSize(player->cachePath(kHaze)) > 0 && cacheSettled(); }));
    EXPECT_FALSE(fs::exists(tracks + "old400")); // the oldest went to make room
    EXPECT_TRUE(fs::exists(tracks + "old300"));
    EXPECT_TRUE(fs::exists(player->cachePath(kDawn)));
    EXPECT_EQ(requestsTo("stream").size(), 2u);
    player->next(); // prefetched: plays without another request
    ASSERT_TRUE(playing());
    EXPECT_EQ(requestsTo("stream").size(), 2u);
}

TEST_F(ThreadedPlayerNet, PlaysAreAnnouncedOnceAndSubmittedAtTheThreshold)
{
    player->setQueue({kDawn}, 0);
    ASSERT_TRUE(playing());
    advance(1);
    advance(1); // 2 s heard of a 2.5 s song
    // The play stays pending until the server's answer is in.
    ASSERT_TRUE(runUntil([&] { return server.scrobbles().size() == 2 && !player->flushInFlight; }));
    auto sent = server.scrobbles(); // two requests in flight together: any order
    std::sort(sent.begin(), sent.end(), [](const auto& a, const auto& b) { return a.submission < b.submission; });
    EXPECT_FALSE(sent[0].submission);
    EXPECT_EQ(sent[0].time, 0);
    EXPECT_TRUE(sent[1].submission);
    EXPECT_EQ(sent[1].time, player->startedAt);
    EXPECT_TRUE(store.pendingScrobbles.empty());
}

TEST_F(ThreadedPlayerNet, PendingPlaysDrainOldestFirstPerAccount)
{
    const std::string other = "http://elsewhere\nbob";
    store.pendingScrobbles = {{"tr-1", 1000, account()}, {"gone", 1500, ""}, {"tr-2", 2000, ""},
                              {"tr-3", 2500, other}, {"tr-4", 3000, account()}};
    ASSERT_TRUE(store.saveScrobbles());
    const auto flushed = [&] { return !player->flushInFlight; };

    ASSERT_TRUE(server.injectFault({.endpoint = "scrobble", .status = 503}));
    player->flushScrobbles();
    ASSERT_TRUE(runUntil(flushed));
    EXPECT_EQ(store.pendingScrobbles.size(), 5u); // a transport failure keeps the head

    player->offline = true;
    player->flushScrobbles();
    EXPECT_FALSE(player->flushInFlight);
    player->offline = false;
    player->flushScrobbles();
    ASSERT_TRUE(runUntil([&] { return flushed() && store.pendingScrobbles.size() == 1; }));
    std::vector<std::pair<std::string, long long>> sent;
    for (const auto& s : server.scrobbles())
        sent.emplace_back(s.id, s.time);
    // The server counted tr-1 before its reply failed; the retry counts it again.
    EXPECT_EQ(sent, (std::vector<std::pair<std::string, long long>>{
        {"tr-1", 1000}, {"tr-1", 1000}, {"tr-2", 2000}, {"tr-4", 3000}}));
    std::vector<std::string> order; // "gone" was refused by the server and dropped
    for (const auto& r : requestsTo("scrobble"))
        order.push_back(r.param("id"));
    EXPECT_EQ(order, (std::vector<std::string>{"tr-1", "tr-1", "gone", "tr-2", "tr-4"}));

    cad::Store restarted;
    restarted.load();
    EXPECT_EQ(restarted.pendingScrobbles, (std::vector<cad::PendingScrobble>{{"tr-3", 2500, other}}));
}

// A stream slower than it plays: sound starts while it arrives, waits ("Buffering…") when
// playback catches up with the data, and goes on once more comes. The cache file appears under
// its name only once complete; a fetch stopped halfway leaves nothing.
TEST_F(ThreadedPlayerNet, StreamsSoundWhileArrivingAndWaitWhenTheyFallBehind)
{
    // 128 kbps is 16 kB/s: a little under that falls behind within the 2.5 s song.
    store.streamKbps = 0;
    ASSERT_TRUE(server.injectFault({.endpoint = "stream", .throttleBytesPerSecond = 13000}));
    player->setQueue({kDawn}, 0);
    ASSERT_TRUE(playing());
    EXPECT_TRUE(player->fetching) << "sounding before the transfer ended";
    EXPECT_FALSE(fs::exists(player->cachePath(kDawn)));
    double waitedAt = -1;
    ASSERT_TRUE(runUntil([&] {
        if (music.buffering() && waitedAt < 0)
            waitedAt = music.position();
        return waitedAt > 0 && !music.buffering() && music.position() > waitedAt + 0.05;
    })) << "waits, then goes on";
    EXPECT_GT(waitedAt, 0.1) << "played before it waited";
    EXPECT_EQ(music.state(), MusicState::Playing);
    ASSERT_TRUE(runUntil([&] { return !player->fetching; }));
    EXPECT_TRUE(messages.empty()) << messages.front();
    ASSERT_TRUE(runUntil([&] { return cacheSettled(); }));
    EXPECT_EQ(platform::fileSize(player->cachePath(kDawn)),
              platform::fileSize(server.mediaDir() + "/tr-1.mp3"));

    // Stopped while it still arrives: no file, whole or partial.
    ASSERT_TRUE(server.injectFault({.endpoint = "stream", .throttleBytesPerSecond = 30000}));
    player->setQueue({kHaze}, 0);
    ASSERT_TRUE(playing());
    player->stop();
    ASSERT_TRUE(runUntil([&] { return cacheSettled(); }));
    EXPECT_FALSE(fs::exists(player->cachePath(kHaze)));
    EXPECT_EQ(platform::listFiles(home.cacheDir() + "/tracks").size(), 1u);
}

// With the next song's file at hand, it follows in the same output stream: the queue, the UI
// and the now-playing notice switch when its first sample is heard, not when it was decoded
// (which is long before).
TEST_F(ThreadedPlayerNet, GaplessAdvanceSwitchesWhenTheNextSongIsHeard)
{
    const cad::Song first = downloaded("tr-1", 1.0), second = downloaded("tr-2", 1.0);
    int stops = 0;
    music.onStateChanged = [&](int state) { stops += state == int(MusicState::Stopped); };
    player->setQueue({first, second}, 0);
    ASSERT_TRUE(playing());
    const uint64_t started = SDL_GetTicks64();
    advance(0.5); // the player queues the next file on its half-second timer
    EXPECT_EQ(music.queuedNext(), home.path() + "/media/tr-2.wav");
    const int changes = player->changeCount;
    ASSERT_TRUE(runUntil([&] { return player->index == 1; }));
    const double after = double(SDL_GetTicks64() - started) / 1000;
    EXPECT_GT(after, 0.8);
    EXPECT_LT(after, 2.0);
    EXPECT_LT(music.position(), 0.3);
    EXPECT_GT(player->changeCount, changes);
    EXPECT_EQ(music.path(), home.path() + "/media/tr-2.wav");
    EXPECT_EQ(music.state(), MusicState::Playing);
    EXPECT_EQ(stops, 0) << "no stop between the two";
    ASSERT_TRUE(runUntil([&] {
        const auto sent = server.scrobbles();
        return std::count_if(sent.begin(), sent.end(), [](const auto& s) { return !s.submission; }) == 2;
    }));
    EXPECT_EQ(server.scrobbles().back().id, "tr-2");
    music.onStateChanged = nullptr;
}

} // namespace

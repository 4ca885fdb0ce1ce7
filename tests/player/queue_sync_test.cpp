#include "player_fixture.h"

#include "app/net/credentials.h"
#include "app/player/queue_sync.h"
#include "support/subsonic_test_server.h"

#include <curl/curl.h>

#include <chrono>

namespace {

using namespace player_testing;
using testing_support::Fault;

// Sends one request as another client would (the server records its client name).
bool getAsOtherClient(const std::string& url)
{
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t n, void*) { return size * n; });
    const bool ok = curl_easy_perform(curl) == CURLE_OK;
    curl_easy_cleanup(curl);
    return ok;
}

int64_t realNowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The queue sync of a real player against our test server, signed in as its demo account,
// on the hand-moved clock of the player tests.
class ThreadedQueueSync : public PlayerTest {
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        ASSERT_TRUE(server.ok()) << server.error();
        store.url = server.baseUrl();
        store.user = server.user();
        store.salt = "salt1";
        store.token = cad::makeToken(server.password(), "salt1");
        subsonic.configure({store.url, store.user, store.salt, store.token});
        songs = {downloaded("tr-1", 20), downloaded("tr-2", 20), downloaded("tr-3", 20)};
        makeSync();
    }

    void makeSync()
    {
        sync = std::make_unique<cad::QueueSync>(subsonic, store, *player);
        sync->clock = [this] { return now; };
        sync->wallClock = [this] { return wall; };
        sync->onOffer = [this](const cad::Subsonic::PlayQueue& queue) { offers.push_back(queue.changedBy); };
    }

    void step()
    {
        frame();
        sync->tick();
    }

    // Frames until the sync has nothing out, then `seconds` more on the clock.
    void settle(double seconds = 0)
    {
        ASSERT_TRUE(runUntil([&] { sync->tick(); return !sync->inFlight() && !sync->reading(); }));
        now += seconds;
        step();
    }

    // What the server holds from each save, "client current@position ids...".
    std::vector<std::string> saves()
    {
        std::vector<std::string> out;
        for (const auto& r : server.requests()) {
            if (r.endpoint != "savePlayQueue")
                continue;
            std::string line = r.param("c") + " " + r.param("current") + "@" + r.param("position");
            for (const auto& [name, value] : r.params)
                line += name == "id" ? " " + value : "";
            out.push_back(line);
        }
        return out;
    }

    std::string saveUrl(const std::vector<std::string>& ids, const std::string& current, int positionMs)
    {
        std::vector<std::pair<std::string, std::string>> params;
        for (const auto& id : ids)
            params.emplace_back("id", id);
        params.emplace_back("current", current);
        params.emplace_back("position", std::to_string(positionMs));
        return server.restUrl("savePlayQueue", params);
    }

    testing_support::SubsonicTestServer server;
    std::unique_ptr<cad::QueueSync> sync;
    std::vector<cad::Song> songs;
    std::vector<std::string> offers;
    int64_t wall = realNowMs();
};

TEST_F(ThreadedQueueSync, SavesOnChangePauseAndBeatWithOneRequestAtATime)
{
    player->setQueue(songs, 0);
    ASSERT_TRUE(playing());
    step();
    EXPECT_TRUE(saves().empty()) << "nothing goes out before the server's queue was read";

    sync->setOnline(true);
    settle();
    EXPECT_EQ(sync->saves, 1);
    // Skipping twice while a slow save is out: one request, then one with the latest state.
    ASSERT_TRUE(server.injectFault({.endpoint = "savePlayQueue", .delaySeconds = 0.4}));
    player->next();
    settle(0.5); // too soon after the last save: the gap holds it back
    EXPECT_EQ(sync->saves, 1);
    now += cad::QueueSync::kMinGapSeconds;
    step();
    EXPECT_TRUE(sync->inFlight());
    player->next();
    for (int i = 0; i < 5; ++i, now += 3)
        step();
    EXPECT_EQ(sync->saves, 2) << "never two requests at once";
    settle(cad::QueueSync::kMinGapSeconds);
    settle();
    ASSERT_TRUE(playing());
    // Pause saves the position; playing on saves again on the 30 s beat only.
    player->seekFraction(0.5f);
    player->togglePause();
    settle(cad::QueueSync::kMinGapSeconds);
    settle();
    player->togglePause();
    ASSERT_TRUE(playing());
    const int beforeBeat = sync->saves;
    settle(cad::QueueSync::kBeatSeconds - 5);
    EXPECT_EQ(sync->saves, beforeBeat);
    settle(6);
    settle();
    EXPECT_EQ(sync->saves, beforeBeat + 1);

    const auto sent = saves();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0].substr(0, 13), "Sonaria tr-1@");
    EXPECT_TRUE(sent[0].ends_with(" tr-1 tr-2 tr-3")) << sent[0];
    EXPECT_EQ(sent[1].substr(0, 13), "Sonaria tr-2@");
    EXPECT_EQ(sent[2].substr(0, 13), "Sonaria tr-3@");
    EXPECT_EQ(sent[3].substr(0, 16), "Sonaria tr-3@100") << "paused half way through 20 s";
}

TEST_F(ThreadedQueueSync, FailuresRetryLaterAndNothingGoesOutOfflineOrSwitchedOff)
{
    sync->setOnline(true);
    settle();
    ASSERT_TRUE(server.injectFault({.endpoint = "savePlayQueue", .status = 500}));
    player->setQueue(songs, 1);
    settle();
    EXPECT_EQ(sync->saves, 1);
    settle(cad::QueueSync::kRetrySeconds - 1);
    EXPECT_EQ(sync->saves, 1);
    settle(2);
    settle();
    EXPECT_EQ(sync->saves, 2);

    sync->setOnline(false);
    player->next();
    settle(60);
    store.syncPlayQueue = false;
    sync->setOnline(true);
    player->next();
    settle(60);
    EXPECT_EQ(sync->saves, 2);
    EXPECT_EQ(saves().size(), 2u);
    // What played while sync was off goes out when sync is back on, and at quit
    // again if the song went on playing meanwhile.
    const int before = sync->saves;
    store.syncPlayQueue = true;
    sync->setOnline(false);
    sync->setOnline(true);
    settle();
    sync->saveAtQuit(net);
    EXPECT_GT(sync->saves, before) << "played since the last save";
    EXPECT_EQ(saves().size(), size_t(sync->saves));
}

TEST_F(ThreadedQueueSync, OffersOnlyANewerQueueOfAnotherClientAndResumesItPaused)
{
    ASSERT_TRUE(getAsOtherClient(saveUrl({"tr-3", "tr-2"}, "tr-2", 7500)));
    // The local queue changed after that save: no offer.
    player->setQueue(songs, 0);
    wall = realNowMs() + 3600 * 1000;
    step();
    sync->setOnline(true);
    settle();
    EXPECT_TRUE(offers.empty());

    // Our own save is never offered back, however new.
    player->clear();
    std::string asUs = saveUrl({"tr-1"}, "tr-1", 0);
    asUs.replace(asUs.find("&c=tests&"), 9, "&c=Sonaria&");
    ASSERT_TRUE(getAsOtherClient(asUs));
    makeSync();
    sync->setOnline(true);
    settle();
    EXPECT_TRUE(offers.empty());

    // An empty local queue is older than anything: offered, and accepted paused at 7.5 s.
    ASSERT_TRUE(getAsOtherClient(saveUrl({"tr-3", "tr-2"}, "tr-2", 7500)));
    makeSync();
    sync->setOnline(true);
    settle();
    ASSERT_EQ(offers, std::vector<std::string>{"tests"});
    ASSERT_TRUE(sync->hasOffer());
    ASSERT_TRUE(sync->accept());
    EXPECT_FALSE(sync->accept()) << "an offer is taken once";
    ASSERT_TRUE(runUntil([&] { step(); return music.state() == MusicState::Paused; }));
    ASSERT_EQ(player->queue.size(), 2u);
    EXPECT_EQ(player->queue[0].id, "tr-3");
    EXPECT_EQ(player->index, 1);
    EXPECT_NEAR(music.position(), 7.5, 0.3);
}

TEST(QueueSyncTime, IsoTimesToEpochMilliseconds)
{
    const struct {
        const char* text;
        int64_t expected;
    } cases[] = {
        {"1970-01-01T00:00:00Z", 0},
        {"2024-05-01T10:00:00Z", 1714557600000},
        {"2024-05-01T10:00:00.5Z", 1714557600500},
        {"2024-05-01T10:00:00.123456789Z", 1714557600123},
        {"2024-05-01T12:00:00+02:00", 1714557600000},
        {"2024-05-01T05:30:00-04:30", 1714557600000},
        {"2024-02-29T00:00:00", 1709164800000},
        {"", -1},
        {"2024-05-01", -1},
        {"2024-13-01T00:00:00Z", -1},
        {"2024-05-01T10:00:00 UTC", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cad::isoTimeToEpochMs(c.text), c.expected) << c.text;
}

} // namespace

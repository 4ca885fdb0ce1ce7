// The playback services together, as the controller runs them each frame, against
// our test server: streaming, scrobbling, downloads, offline play and a restart.
#include "app/core/platform.h"
#include "app/core/store.h"
#include "app/net/covers.h"
#include "app/net/credentials.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"
#include "app/player/downloads.h"
#include "app/player/player_core.h"
#include "vell/asset_loader.h"
#include "vell/music_player.h"

#include "support/subsonic_test_server.h"
#include "support/temp_home.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using testing_support::SubsonicTestServer;
using vell::MusicState;

struct Services {
    cad::Net net;
    cad::Subsonic subsonic { net };
    cad::Store store;
    cad::Covers covers { net, subsonic, store };
    cad::Downloads downloads { net, subsonic, store, covers };
    bool online = true;
};

class ThreadedServicesTest : public testing::Test {
protected:
    void SetUp() override
    {
        testing_support::useHeadlessSdl();
        ASSERT_TRUE(server.ok()) << server.error();
        ASSERT_TRUE(loader.start(nullptr, 1 << 20, 1024)) << SDL_GetError();
        ASSERT_TRUE(music.openAudio(&loader)) << SDL_GetError();
        startServices();
    }

    void TearDown() override
    {
        stopServices();
        loader.stop();
        music.closeAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    // What the controller does at start-up, after a sign-in.
    void startServices()
    {
        s = std::make_unique<Services>();
        s->store.load();
        const std::string salt = cad::makeSalt();
        s->store.url = server.baseUrl();
        s->store.user = server.user();
        s->store.salt = salt;
        s->store.token = cad::makeToken(server.password(), salt);
        s->subsonic.configure({ s->store.url, s->store.user, salt, s->store.token });
        s->net.requestPool.start(3);
        s->net.downloadPool.start(2);
        s->net.streamPool.start(2);
        s->downloads.isOnline = [this] { return s->online; };
        player = std::make_unique<cad::PlayerCore>(s->net, s->subsonic, s->store, music);
        player->clock = [this] { return now; };
        player->onMessage = [this](const std::string& text) { messages.push_back(text); };
        player->restoreQueue();
    }

    void stopServices()
    {
        if (!s)
            return;
        player->saveQueue();
        player.reset();
        music.stop(); // the process ends here in real life
        s->net.shutdown();
        s.reset();
    }

    void setOnline(bool online)
    {
        s->online = online;
        s->covers.offline = !online;
        player->offline = !online;
    }

    // One frame of the controller's loop; the injected clock moves 0.25 s a frame, so
    // listening time grows fast while the real songs play for seconds.
    void frame()
    {
        loader.pump();
        music.update(1.0f / 60.0f);
        s->net.poll();
        s->downloads.schedule();
        now += 0.25;
        player->tick(1.0f / 60.0f);
    }

    bool runUntil(const std::function<bool()>& done, int timeoutMs = 30000)
    {
        const Uint64 end = SDL_GetTicks64() + Uint64(timeoutMs);
        while (!done()) {
            if (SDL_GetTicks64() > end)
                return false;
            frame();
            SDL_Delay(5);
        }
        return true;
    }

    bool playing(int index) const
    {
        return player->index == index && music.state() == MusicState::Playing;
    }

    int streamRequests(const std::string& id)
    {
        const auto seen = server.requests();
        return int(std::count_if(seen.begin(), seen.end(), [&](const auto& r) {
            return r.endpoint == "stream" && r.param("id") == id;
        }));
    }

    bool submitted(const std::string& id)
    {
        const auto sent = server.scrobbles();
        return std::any_of(sent.begin(), sent.end(),
                           [&](const auto& entry) { return entry.id == id && entry.submission; });
    }

    testing_support::TempHome home;
    SubsonicTestServer server;
    vell::AssetLoader loader;
    vell::MusicPlayer music;
    std::unique_ptr<Services> s;
    std::unique_ptr<cad::PlayerCore> player;
    std::vector<std::string> messages;
    double now = 1000;
};

TEST_F(ThreadedServicesTest, StreamsScrobblesDownloadsPlaysOfflineAndRestores)
{
    std::vector<cad::Song> songs;
    bool loaded = false;
    s->subsonic.album("al-1", [&](bool ok, const cad::Album&, const std::vector<cad::Song>& got,
                                  const std::string& error) {
        EXPECT_TRUE(ok) << error;
        songs = got;
        loaded = true;
    });
    ASSERT_TRUE(runUntil([&] { return loaded; }));
    ASSERT_EQ(songs.size(), 3u);

    // Online: the first song is fetched and plays; Next plays the second.
    player->setQueue(songs, 0);
    ASSERT_TRUE(runUntil([&] { return playing(0); })) << (messages.empty() ? "" : messages[0]);
    player->next();
    ASSERT_TRUE(runUntil([&] { return playing(1); }));
    EXPECT_GE(streamRequests(songs[1].id), 1);
    ASSERT_TRUE(runUntil([&] { return submitted(songs[1].id); })) << "submitted at its threshold";

    // Two songs saved for offline use.
    s->downloads.toggle({ songs[0], songs[2] });
    ASSERT_TRUE(runUntil([&] { return s->store.offline.size() == 2 && s->downloads.items.empty(); }));

    // Offline: a downloaded song plays from its file and its play waits on disk.
    setOnline(false);
    server.clearRequests();
    player->playIndex(2);
    ASSERT_TRUE(runUntil([&] { return playing(2); }));
    EXPECT_EQ(music.path(), s->store.offlineEntry(songs[2].id)->file);
    ASSERT_TRUE(runUntil([&] { return !s->store.pendingScrobbles.empty(); }));
    EXPECT_NE(cad::platform::readFile(home.dataDir() + "/scrobbles.json").find(songs[2].id),
              std::string::npos);
    EXPECT_EQ(streamRequests(songs[2].id), 0);

    // Back online: the pending play is delivered and the list empties.
    setOnline(true);
    player->flushScrobbles();
    ASSERT_TRUE(runUntil([&] { return s->store.pendingScrobbles.empty(); }));
    EXPECT_TRUE(submitted(songs[2].id));
    EXPECT_EQ(cad::platform::readFile(home.dataDir() + "/scrobbles.json"), "[]");

    // A restart restores the queue with the same songs and the current index.
    stopServices();
    startServices();
    ASSERT_EQ(player->queue.size(), songs.size());
    EXPECT_EQ(player->queue[2].id, songs[2].id);
    EXPECT_EQ(player->index, 2);
    EXPECT_EQ(music.state(), MusicState::Stopped);
    EXPECT_EQ(s->store.offline.size(), 2u);
}

} // namespace

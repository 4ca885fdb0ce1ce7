// Stops at any moment lose nothing: plays and downloads survive a SIGKILL of a child
// process that runs the real services in the test's home, and a clean quit; the next
// run (a new set of services in the same home) delivers and completes them.
#include "player_fixture.h"

#include "app/net/covers.h"
#include "app/net/credentials.h"
#include "app/player/downloads.h"
#include "net/net_test_helpers.h"
#include "support/subsonic_test_server.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

namespace {

using player_testing::writeWav;
using testing_support::Fault;
using testing_support::SubsonicTestServer;
using Ids = std::vector<std::string>;

cad::Song song(const std::string& id, int duration = 0, const std::string& suffix = "mp3")
{
    cad::Song s;
    s.id = id;
    s.title = "T" + id;
    s.duration = duration;
    s.suffix = suffix;
    return s;
}

// One run of the program's services in the test's home, signed in to the test server.
struct Session {
    explicit Session(const SubsonicTestServer& server)
    {
        store.load();
        net.requestPool.start(2);
        net.downloadPool.start(2);
        const std::string salt = cad::makeSalt();
        subsonic.configure({ server.baseUrl(), server.user(), salt, cad::makeToken(server.password(), salt) });
        downloads.isOnline = [] { return true; };
        downloads.restore();
    }
    ~Session()
    {
        net.cancelAll();
        net.shutdown();
    }
    // Frames as the controller runs them: completions, downloads, then the player.
    template <class Condition>
    bool runUntil(Condition condition, double seconds = 30)
    {
        return net_testing::pollUntil(net, [&] {
            downloads.schedule();
            if (frame)
                frame();
            return condition();
        }, seconds);
    }
    // The controller's clean quit.
    void quit()
    {
        downloads.suspend();
        net.cancelAll();
        net.stopPools();
        net.poll();
    }
    Ids library() const
    {
        Ids ids;
        for (const auto& entry : store.offline)
            ids.push_back(entry.song.id);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    cad::Net net;
    cad::Subsonic subsonic { net };
    cad::Store store;
    cad::Covers covers { net, subsonic, store };
    cad::Downloads downloads { net, subsonic, store, covers };
    vell::MusicPlayer music; // opened by Listening
    cad::PlayerCore player { net, subsonic, store, music };
    std::function<void()> frame;
};

// Real playback through a run's player; its clock moves 1 s per frame while music plays,
// so a listening threshold comes in a few dozen frames.
struct Listening {
    explicit Listening(Session& r)
        : run(r)
    {
        opened = loader.start(nullptr, 1 << 20, 1024) && run.music.openAudio(&loader);
        run.player.clock = [this] { return now; };
        run.frame = [this] {
            loader.pump();
            run.music.update(1.0f / 60.0f);
            if (run.music.state() == vell::MusicState::Playing)
                now += 1;
            run.player.tick(1.0f / 60.0f);
        };
    }
    ~Listening()
    {
        run.frame = nullptr;
        loader.stop();
        run.music.closeAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    Session& run;
    vell::AssetLoader loader;
    bool opened = false;
    double now = 1000;
};

// A forked child, killed with SIGKILL when the test is done with it (or fails early).
class Child {
public:
    template <class Body>
    explicit Child(Body body)
        : m_pid(fork())
    {
        if (m_pid != 0)
            return;
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        body();
        _exit(0);
    }
    ~Child() { kill(); }
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid;
};

// Polls `condition` from the parent while a child works.
template <class Condition>
bool waitFor(Condition condition, int seconds = 30)
{
    for (int i = 0; i < seconds * 50; ++i) {
        if (condition())
            return true;
        usleep(20000);
    }
    return false;
}

class StopAndRestart : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.ok()) << server.error(); }

    std::string account() const { return server.baseUrl() + "\n" + server.user(); }

    // A song of `seconds` saved for offline listening, so it plays without the server.
    cad::Song saved(const std::string& id, int seconds)
    {
        const cad::Song s = song(id, seconds, "wav");
        const std::string file = home.path() + "/" + id + ".wav";
        writeWav(file, seconds);
        cad::Store store;
        store.load();
        store.addOffline(s, file);
        return s;
    }

    // Submissions the server counted, in arrival order.
    Ids submitted()
    {
        Ids ids;
        for (const auto& s : server.scrobbles()) {
            if (s.submission)
                ids.push_back(s.id);
        }
        return ids;
    }

    bool submissionArrived()
    {
        const auto all = server.requests();
        return std::any_of(all.begin(), all.end(), [](const auto& r) {
            return r.endpoint == "scrobble" && r.param("submission") == "true";
        });
    }

    testing_support::TempHome home; // first: the server and runs live in it
    SubsonicTestServer server;
};

TEST_F(StopAndRestart, APlayKilledInFlightArrivesOnceAfterTheRestart)
{
    const cad::Song dawn = saved("tr-1", 60);
    ASSERT_TRUE(server.injectFault({ .endpoint = "scrobble", .times = Fault::kForever, .stall = true }));
    Child child([&] {
        Session run(server);
        Listening listening(run);
        run.player.setQueue({ dawn }, 0);
        run.runUntil([] { return false; }, 600);
    });
    ASSERT_TRUE(waitFor([&] { return submissionArrived(); })) << "the play was never sent";
    child.kill();

    ASSERT_TRUE(server.clearFaults()); // the server answers again
    Session run(server);
    ASSERT_EQ(run.store.pendingScrobbles.size(), 1u) << "the play was not saved before it was sent";
    run.player.flushScrobbles();
    ASSERT_TRUE(run.runUntil([&] { return run.store.pendingScrobbles.empty() && !run.player.flushInFlight; }));
    EXPECT_EQ(submitted(), Ids { "tr-1" });
    EXPECT_EQ(cad::platform::readFile(home.dataDir() + "/scrobbles.json"), "[]");
}

TEST_F(StopAndRestart, ANewPlayWaitsBehindOlderPendingOnes)
{
    const cad::Song fjord = saved("tr-6", 20); // its threshold (10 s) comes before the 20 s flush
    {
        cad::Store store;
        store.load();
        store.pendingScrobbles = { { "tr-1", 1000, account() }, { "tr-2", 2000, "" }, { "tr-3", 3000, account() } };
        ASSERT_TRUE(store.saveScrobbles());
    }
    Session run(server);
    Listening listening(run);
    ASSERT_TRUE(listening.opened) << SDL_GetError();
    run.player.setQueue({ fjord }, 0);
    ASSERT_TRUE(run.runUntil([&] { return submitted().size() == 4 && run.store.pendingScrobbles.empty(); }));
    EXPECT_EQ(submitted(), (Ids { "tr-1", "tr-2", "tr-3", "tr-6" }));
}

// Two albums, one stopped by a kill and one by a clean quit, each after its first song
// finished and while the next ones were still downloading.
TEST_F(StopAndRestart, AlbumDownloadsResumeAfterAKillAndAfterAQuit)
{
    struct Case { bool killed; std::vector<cad::Song> album; };
    const Case cases[] = {
        { true, { song("tr-1"), song("tr-2"), song("tr-3") } },
        { false, { song("tr-10"), song("tr-11") } },
    };
    size_t total = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.killed ? "killed" : "quit");
        ASSERT_TRUE(server.clearFaults());
        // The first download comes at once, the others crawl until the restart.
        ASSERT_TRUE(server.injectFault({ .endpoint = "download" }));
        ASSERT_TRUE(server.injectFault({ .endpoint = "download", .times = Fault::kForever, .throttleBytesPerSecond = 2000 }));
        const auto oneMoreSaved = [&] {
            cad::Store probe;
            probe.load();
            return probe.offline.size() == total + 1;
        };
        if (c.killed) {
            Child child([&] {
                Session run(server);
                run.downloads.toggle(c.album);
                run.runUntil([] { return false; }, 600);
            });
            ASSERT_TRUE(waitFor(oneMoreSaved));
            child.kill();
        } else {
            Session run(server);
            run.downloads.toggle(c.album);
            ASSERT_TRUE(run.runUntil(oneMoreSaved));
            run.quit();
        }

        ASSERT_TRUE(server.clearFaults());
        Session run(server);
        EXPECT_EQ(run.downloads.items.size(), c.album.size() - 1);
        total += c.album.size();
        ASSERT_TRUE(run.runUntil([&] { return run.downloads.items.empty(); }));
        EXPECT_EQ(run.store.offline.size(), total);
        for (const cad::Song& s : c.album)
            EXPECT_TRUE(run.store.offlineEntry(s.id)) << s.id;
    }
}

} // namespace

#include "player_fixture.h"

#include <algorithm>
#include <filesystem>

namespace {

using namespace player_testing;
namespace fs = std::filesystem;

std::vector<std::string> ids(const std::vector<cad::Song>& songs)
{
    std::vector<std::string> out(songs.size());
    std::transform(songs.begin(), songs.end(), out.begin(), [](const cad::Song& s) { return s.id; });
    return out;
}

using ThreadedPlayer = PlayerTest;

TEST_F(ThreadedPlayer, PlayIndexClampsAndTheEndOfATrackFollowsRepeat)
{
    player->playIndex(2); // empty queue: nothing
    EXPECT_EQ(player->index, -1);
    EXPECT_EQ(player->changeCount, 1);

    player->setQueue(downloadedSongs(5, 0.3), 99);
    EXPECT_EQ(player->index, 4);
    player->playIndex(-3);
    EXPECT_EQ(player->index, 0);

    struct Row { int repeat; int indexAfter; bool playsOn; };
    for (const Row row : {Row{cad::All, 0, true}, Row{cad::One, 4, true}, Row{cad::Off, 4, false}}) {
        SCOPED_TRACE(row.repeat);
        player->repeat = row.repeat;
        player->playIndex(4);
        ASSERT_TRUE(playing());
        const int generation = player->playGeneration, changes = player->changeCount;
        ASSERT_TRUE(runUntil([&] { return !player->active || player->playGeneration != generation; }));
        EXPECT_EQ(player->index, row.indexAfter);
        EXPECT_EQ(player->playGeneration != generation, row.playsOn);
        EXPECT_GT(player->changeCount, changes);
    }
    player->togglePause(); // after the end of the queue: the last song again
    EXPECT_TRUE(player->active);
    EXPECT_EQ(player->index, 4);
    player->next(); // wraps whatever the repeat mode
    EXPECT_EQ(player->index, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ThreadedPlayer, PreviousRestartsPastThreeSecondsAndSeeksClamp)
{
    player->setQueue(downloadedSongs(5, 10), 0);
    struct Row { int from; double position; int repeat; int expected; bool restarted; };
    const Row rows[] = {
        {2, 3.1, cad::Off, 2, true}, {2, 3.0, cad::Off, 1, false},
        {0, 0, cad::Off, 0, false}, {0, 0, cad::All, 4, false}, {0, 0, cad::One, 4, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.position);
        player->repeat = row.repeat;
        player->playIndex(row.from);
        ASSERT_TRUE(playing());
        player->togglePause();
        ASSERT_TRUE(music.seek(row.position));
        const int generation = player->playGeneration;
        player->previous();
        EXPECT_EQ(player->index, row.expected);
        EXPECT_EQ(player->playGeneration == generation, row.restarted);
        EXPECT_EQ(music.position(), 0.0);
    }
    ASSERT_TRUE(playing());
    player->togglePause();
    ASSERT_TRUE(music.seek(4));
    player->seekBy(-10);
    EXPECT_EQ(music.position(), 0.0);
    player->seekFraction(0.5f);
    EXPECT_NEAR(music.position(), 5.0, 1e-3);
    player->seekFraction(-2);
    EXPECT_EQ(music.position(), 0.0);
}

TEST_F(ThreadedPlayer, ShuffleRoundTripKeepsTheSongPlayingAndFindsTheLaterDuplicate)
{
    auto songs = downloadedSongs(4, 10);
    songs.push_back(songs[1]); // s1 twice
    player->setQueue(songs, 1);
    ASSERT_TRUE(playing());
    const int generation = player->playGeneration;
    const std::string path = music.path();

    player->setShuffle(true);
    EXPECT_EQ(player->queue[0].id, "s1");
    EXPECT_EQ(player->index, 0);
    auto shuffled = ids(player->queue);
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, (std::vector<std::string>{"s0", "s1", "s1", "s2", "s3"}));
    EXPECT_EQ(player->playGeneration, generation);
    EXPECT_EQ(music.path(), path);
    EXPECT_EQ(music.state(), MusicState::Playing);

    player->playNext(downloaded("next", 1));
    EXPECT_EQ(player->queue[1].id, "next");
    player->setShuffle(false);
    EXPECT_EQ(ids(player->queue), (std::vector<std::string>{"s0", "s1", "s2", "s3", "s1", "next"}));
    EXPECT_EQ(player->index, 4);
    EXPECT_EQ(player->playGeneration, generation);
}

TEST_F(ThreadedPlayer, RemovingSongsKeepsTheCurrentOneOrPlaysTheNextAndTheLastStops)
{
    player->addToQueue(downloaded("a", 10)); // an empty queue starts playing
    EXPECT_TRUE(player->active);
    player->addToQueue(downloaded("b", 10));
    player->addToQueue(downloaded("c", 10));
    player->playIndex(1);
    const int generation = player->playGeneration;
    player->removeAt(0);
    EXPECT_EQ(player->index, 0);
    EXPECT_EQ(player->playGeneration, generation);
    player->removeAt(0); // the current song: "c" moves in and plays
    EXPECT_EQ(player->queue[0].id, "c");
    EXPECT_EQ(player->unshuffled.size(), 1u);
    EXPECT_GT(player->playGeneration, generation);
    ASSERT_TRUE(playing());
    player->removeAt(5); // out of range: nothing
    player->removeAt(0);
    EXPECT_EQ(player->index, -1);
    EXPECT_FALSE(player->active);
    EXPECT_EQ(music.state(), MusicState::Stopped);
}

TEST_F(ThreadedPlayer, OfflineSongsPlayFromTheirDownloadOrCacheOrSayWhy)
{
    player->offline = true;
    store.streamKbps = 0;
    const cad::Song saved = downloaded("dl", 5);
    const cad::Song cached = song("cached", "", 0, "wav"), empty = song("empty"), none = song("none");
    const cad::Song noId = song("", "Untitled");
    writeWav(player->cachePath(cached), 5);
    std::ofstream(player->cachePath(empty)).flush(); // size 0 counts as absent

    struct Row { cad::Song song; std::string path; std::string message; };
    const Row rows[] = {
        {saved, home.path() + "/media/dl.wav", ""},
        {cached, player->cachePath(cached), ""},
        {empty, "", "\"Song empty\" is not available offline"},
        {none, "", "\"Song none\" is not available offline"},
        {noId, "", "Couldn't load \"Untitled\" (no song id)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.song.id);
        messages.clear();
        player->setQueue({row.song}, 0);
        EXPECT_EQ(player->active, !row.path.empty());
        EXPECT_EQ(player->localPath(row.song), row.path);
        if (!row.path.empty()) {
            EXPECT_EQ(music.path(), row.path);
        }
        EXPECT_EQ(messages, row.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.message});
    }
}

TEST_F(ThreadedPlayer, AFileThatWillNotPlayLosesOnlyItsStreamCacheCopy)
{
    player->offline = true;
    const cad::Song cached = song("bad", "Bad");
    cad::Song saved = song("saved", "Saved");
    std::ofstream(player->cachePath(cached)) << "not audio";
    const std::string file = home.path() + "/media/saved.mp3";
    std::ofstream(file) << "not audio";
    store.addOffline(saved, file);
    std::ofstream(player->cachePath(saved)) << "not audio either";

    for (const cad::Song& s : {cached, saved}) {
        messages.clear();
        player->setQueue({s}, 0);
        ASSERT_TRUE(runUntil([&] { return !player->awaitingStart; }));
        EXPECT_EQ(messages, std::vector<std::string>{"Couldn't play \"" + s.title + "\""});
        EXPECT_FALSE(player->active);
    }
    EXPECT_FALSE(fs::exists(player->cachePath(cached)));
    EXPECT_TRUE(fs::exists(file)); // a download is never deleted here
    EXPECT_TRUE(fs::exists(player->cachePath(saved))); // nor a cache file that did not play

    // Without an audio device nothing plays, and the cached file is not to blame.
    vell::MusicPlayer closed;
    cad::PlayerCore mute(net, subsonic, store, closed);
    mute.offline = true;
    writeWav(player->cachePath(cached), 1);
    mute.setQueue({cached}, 0);
    mute.tick(0);
    EXPECT_FALSE(mute.active);
    EXPECT_TRUE(fs::exists(player->cachePath(cached)));
}

TEST_F(ThreadedPlayer, QueueIsSavedOnTimeAndRestoredValidated)
{
    const std::string file = home.dataDir() + "/queue.json";
    player->offline = true;
    advance(0); // the timers count from the first tick
    player->setShuffle(true);
    player->setQueue({song("a"), song("b"), song("c")}, 1);
    player->cycleRepeat();
    const auto order = ids(player->queue);
    player->playIndex(2);
    advance(10);
    EXPECT_FALSE(fs::exists(file));
    advance(6); // more than 15 s since the last save
    ASSERT_TRUE(fs::exists(file));

    const std::string leftover = player->cachePath(song("a")) + ".7.fetch"; // from a run that quit mid-fetch
    std::ofstream(leftover) << "half";
    makePlayer();
    player->restoreQueue();
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_EQ(ids(player->queue), order);
    EXPECT_EQ(ids(player->unshuffled), order);
    EXPECT_FALSE(player->shuffle);
    EXPECT_EQ(player->index, 2);
    EXPECT_EQ(player->repeat, cad::All);
    EXPECT_FALSE(player->active);
    EXPECT_EQ(player->savedCount, player->changeCount);

    struct Row { std::string json; int index; int repeat; size_t size; };
    const std::string songs = R"("songs":[{"id":"a"},{"id":"b"},{"id":"c"}])";
    const Row rows[] = {
        {"{" + songs + R"(,"index":3,"repeat":7})", -1, cad::One, 3},
        {"{" + songs + R"(,"index":-7,"repeat":1.9})", -1, cad::All, 3},
        {"{" + songs + R"(,"index":1e300,"repeat":-4})", -1, cad::Off, 3},
        {"[1,2]", -1, cad::Off, 0},
        {"{\"songs\":", -1, cad::Off, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        ASSERT_TRUE(platform::writeFileAtomic(file, row.json));
        makePlayer();
        player->restoreQueue();
        EXPECT_EQ(player->index, row.index);
        EXPECT_EQ(player->repeat, row.repeat);
        EXPECT_EQ(player->queue.size(), row.size);
    }
    player->clear(); // writes at once
    EXPECT_EQ(platform::readFile(file), R"({"songs":[],"index":-1,"shuffle":false,"repeat":0})");
}

TEST_F(ThreadedPlayer, ScrobbleThresholdsCountRealListeningTime)
{
    player->offline = true;
    struct Row { double seconds; bool unknown; double threshold; bool enabled; };
    const Row rows[] = {{180, false, 90, true}, {600, false, 240, true}, {60, true, 30, true}, {60, false, 30, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        store.scrobble = row.enabled;
        store.pendingScrobbles.clear();
        player->setQueue({downloaded("long" + std::to_string(&row - rows), row.seconds)}, 0);
        if (row.unknown)
            player->queue[0].duration = 0;
        ASSERT_TRUE(playing());
        if (row.unknown)
            music.setDuration(0); // a decoder that cannot tell
        for (int s = 1; s < row.threshold; ++s)
            advance(1);
        EXPECT_TRUE(store.pendingScrobbles.empty());
        advance(1);
        ASSERT_EQ(store.pendingScrobbles.size(), row.enabled ? 1u : 0u);
        if (row.enabled) {
            EXPECT_EQ(store.pendingScrobbles[0].time, player->startedAt);
        }
    }
    // One tick counts at most 5 s (a suspended machine), a paused track nothing.
    player->playIndex(0);
    ASSERT_TRUE(playing());
    advance(3600);
    EXPECT_EQ(player->playedSeconds, 5.0);
    player->togglePause();
    advance(2);
    EXPECT_EQ(player->playedSeconds, 5.0);
}

} // namespace

#include "vell/music_player.h"

#include "vell/asset_loader.h"

#include "support/media_files.h"
#include "support/temp_home.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using testing_support::audioFiles;
using vell::MusicPlayer;
using vell::MusicState;

constexpr int kStopped = int(MusicState::Stopped);
constexpr int kLoading = int(MusicState::Loading);
constexpr int kPlaying = int(MusicState::Playing);

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::useHeadlessSdl();
        ASSERT_EQ(audioFiles().error, "");
        ASSERT_TRUE(loader.start(nullptr, 1 << 20, 1024)) << SDL_GetError();
        ASSERT_TRUE(player.openAudio(&loader)) << SDL_GetError();
        player.onFinished = [this] { ++finishedCount; };
        player.onStateChanged = [this](int state) { states.push_back(state); };
        player.onPlay = [this](const std::string& path) { played.push_back(path); };
    }

    void TearDown() override
    {
        // The loader first: SDL_mixer must not close while a file is being opened.
        loader.stop();
        player.closeAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    void frame()
    {
        loader.pump();
        player.update(1.0f / 60.0f);
    }

    // Runs frames until `done` holds. Generous: the dummy driver plays in real time and
    // sanitizers slow decoding down.
    bool runUntil(const std::function<bool()>& done, int timeoutMs = 20000)
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

    void runFor(int ms)
    {
        const Uint64 end = SDL_GetTicks64() + Uint64(ms);
        while (SDL_GetTicks64() < end) {
            frame();
            SDL_Delay(5);
        }
    }

    // Waits, without running frames, until the decoding thread has opened the file.
    bool loadWaiting()
    {
        const Uint64 end = SDL_GetTicks64() + 20000;
        while (!player.reportWaiting()) {
            if (SDL_GetTicks64() > end)
                return false;
            SDL_Delay(2);
        }
        return true;
    }

    bool loadsSettled()
    {
        return runUntil([&] { return loader.queuedJobs() == 0 && loader.waitingCompletions() == 0; });
    }

    bool startPlaying(const std::string& path)
    {
        player.play(path);
        return runUntil([&] { return player.state() != MusicState::Loading; })
            && player.state() == MusicState::Playing;
    }

    vell::AssetLoader loader;
    MusicPlayer player;
    int finishedCount = 0;
    std::vector<int> states;
    std::vector<std::string> played;
};

TEST_F(MusicPlayerTest, PlaysAFileAndReportsItsStemTitleAndDuration)
{
    player.setDuration(42);
    player.play(audioFiles().flac);
    EXPECT_EQ(player.state(), MusicState::Loading);
    EXPECT_EQ(player.title(), "ab12_0");
    EXPECT_EQ(player.duration(), 0); // a new play forgets the old duration
    EXPECT_EQ(played, std::vector<std::string>{audioFiles().flac});

    ASSERT_TRUE(runUntil([&] { return player.state() == MusicState::Playing; }));
    EXPECT_TRUE(player.loaded());
    EXPECT_EQ(player.path(), audioFiles().flac);
    EXPECT_EQ(player.title(), "ab12_0");
    EXPECT_NEAR(player.duration(), 1.0, 0.1);
    EXPECT_TRUE(player.outputRunning());
    EXPECT_EQ(states, (std::vector<int>{kLoading, kPlaying}));
}

TEST_F(MusicPlayerTest, TitleTagReplacesTheStemOnceLoaded)
{
    player.play(audioFiles().ogg);
    EXPECT_EQ(player.title(), "tagged");
    ASSERT_TRUE(runUntil([&] { return player.state() == MusicState::Playing; }));
    EXPECT_EQ(player.title(), "Tagged Title");

    ASSERT_TRUE(startPlaying(audioFiles().mp3));
    EXPECT_EQ(player.title(), "plain"); // no tag: never the file name with its extension
}

TEST_F(MusicPlayerTest, DecoderDurationReplacesTheOwnersDuration)
{
    player.play(audioFiles().mp3);
    player.setDuration(250);
    EXPECT_EQ(player.duration(), 250);
    ASSERT_TRUE(runUntil([&] { return player.state() == MusicState::Playing; }));
    EXPECT_NEAR(player.duration(), 1.0, 0.1);
}

TEST(MusicPlayer, TitleFromPath)
{
    const struct {
        const char* path;
        const char* title;
    } cases[] = {
        {"/music/x/ab12_0.flac", "ab12_0"},
        {"ab12_0.flac", "ab12_0"},
        {"C:\\Music\\song.name.mp3", "song.name"},
        {"dir.with.dots/noext", "noext"},
        {"/music/.hidden", ""},
        {"/music/trailing/", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MusicPlayer::titleFromPath(c.path), c.title) << c.path;
}

TEST_F(MusicPlayerTest, OnlyTheLastOfTwoQuickPlaysStarts)
{
    player.play(audioFiles().mp3);
    player.play(audioFiles().ogg);
    ASSERT_TRUE(runUntil([&] { return player.state() == MusicState::Playing; }));
    ASSERT_TRUE(loadsSettled());
    runFor(50);

    EXPECT_EQ(player.path(), audioFiles().ogg);
    EXPECT_EQ(player.title(), "Tagged Title");
    EXPECT_EQ(states, (std::vector<int>{kLoading, kPlaying})); // Loading is not announced twice
    EXPECT_EQ(played.size(), 2u);
    EXPECT_EQ(finishedCount, 0);
}

TEST_F(MusicPlayerTest, StopWhileLoadingDiscardsTheLoad)
{
    player.play(audioFiles().flac);
    player.stop();
    ASSERT_TRUE(loadsSettled());
    runFor(50);

    EXPECT_EQ(player.state(), MusicState::Stopped);
    EXPECT_FALSE(player.loaded());
    EXPECT_FALSE(player.outputRunning());
    EXPECT_EQ(states, (std::vector<int>{kLoading, kStopped}));
    EXPECT_EQ(finishedCount, 0);
}

TEST_F(MusicPlayerTest, NaturalEndGivesExactlyOneFinished)
{
    ASSERT_TRUE(startPlaying(audioFiles().flac));
    ASSERT_TRUE(runUntil([&] { return finishedCount > 0; }));
    EXPECT_EQ(player.state(), MusicState::Stopped);
    EXPECT_EQ(player.position(), 0);
    runFor(300);
    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(states, (std::vector<int>{kLoading, kPlaying, kStopped}));
}

TEST_F(MusicPlayerTest, StopAndReplayNeverCountAsAnEnd)
{
    ASSERT_TRUE(startPlaying(audioFiles().flac));
    player.stop();
    EXPECT_EQ(player.state(), MusicState::Stopped);
    EXPECT_TRUE(player.loaded()); // kept until the next play
    runFor(100);

    ASSERT_TRUE(startPlaying(audioFiles().ogg));
    runFor(100);
    // Replacing a playing track: its halt must not count once the new one starts in the
    // same frame, so the load is already waiting when the frame runs.
    player.play(audioFiles().mp3);
    ASSERT_TRUE(loadWaiting());
    frame();
    EXPECT_EQ(player.state(), MusicState::Playing);
    runFor(100);
    EXPECT_EQ(finishedCount, 0);
}

TEST_F(MusicPlayerTest, PauseAndResumeOnlyFromTheMatchingState)
{
    player.pause();
    player.resume();
    EXPECT_EQ(player.state(), MusicState::Stopped);
    EXPECT_TRUE(states.empty());

    ASSERT_TRUE(startPlaying(audioFiles().ogg));
    player.resume(); // not paused: nothing
    EXPECT_EQ(player.state(), MusicState::Playing);
    player.pause();
    EXPECT_EQ(player.state(), MusicState::Paused);
    EXPECT_FALSE(player.outputRunning()); // closed while paused: the sound server may sleep
    const double at = player.position();
    runFor(100);
    EXPECT_EQ(player.position(), at);
    player.resume();
    EXPECT_EQ(player.state(), MusicState::Playing);
    EXPECT_TRUE(player.outputRunning());
}

TEST_F(MusicPlayerTest, SeekMovesThePositionOnlyWithMusicLoaded)
{
    EXPECT_FALSE(player.seek(0.5));
    EXPECT_EQ(player.position(), 0);

    ASSERT_TRUE(startPlaying(audioFiles().ogg));
    player.pause(); // keeps the track from ending under a slow sanitizer run
    EXPECT_TRUE(player.seek(0.5));
    EXPECT_EQ(player.position(), 0.5);
    player.resume();
    frame();
    EXPECT_GE(player.position(), 0.45);
    player.stop();
    EXPECT_EQ(player.position(), 0);
}

TEST_F(MusicPlayerTest, PositionFollowsPlayback)
{
    ASSERT_TRUE(startPlaying(audioFiles().flac));
    ASSERT_TRUE(runUntil([&] { return player.position() > 0.2 || player.state() != MusicState::Playing; }));
    EXPECT_LE(player.position(), 1.1);
}

TEST_F(MusicPlayerTest, VolumeIsClampedAndAppliedToTheMixer)
{
    EXPECT_FLOAT_EQ(player.volume(), 0.8f);
    EXPECT_EQ(player.mixerVolume(), 102);
    player.setVolume(1.5f);
    EXPECT_EQ(player.volume(), 1.0f);
    EXPECT_EQ(player.mixerVolume(), 128);
    player.setVolume(-0.2f);
    EXPECT_EQ(player.volume(), 0.0f);
    EXPECT_EQ(player.mixerVolume(), 0);
    player.setVolume(0.5f);
    EXPECT_EQ(player.mixerVolume(), 64);
}

TEST_F(MusicPlayerTest, UnopenableFilesStopWithoutFinishing)
{
    player.play(audioFiles().broken);
    ASSERT_TRUE(runUntil([&] { return player.state() != MusicState::Loading; }));
    EXPECT_EQ(player.state(), MusicState::Stopped);
    EXPECT_FALSE(player.loaded());

    player.play(audioFiles().broken + ".missing");
    ASSERT_TRUE(runUntil([&] { return player.state() != MusicState::Loading; }));
    EXPECT_EQ(player.state(), MusicState::Stopped);
    EXPECT_EQ(states, (std::vector<int>{kLoading, kStopped, kLoading, kStopped}));
    EXPECT_EQ(finishedCount, 0);
}

TEST_F(MusicPlayerTest, LoadArrivingAfterTheDeviceClosedIsFreed)
{
    player.play(audioFiles().ogg);
    ASSERT_TRUE(loadWaiting());
    player.closeAudio();
    frame();
    EXPECT_FALSE(player.loaded());
    EXPECT_EQ(finishedCount, 0);

    // A file opened but never taken up is closed with the decoding thread.
    ASSERT_TRUE(player.openAudio(&loader));
    player.play(audioFiles().flac);
    ASSERT_TRUE(loadWaiting());
    player.closeAudio(); // LeakSanitizer checks that the decoder went with it
    EXPECT_FALSE(player.loaded());
}

// Not a fixture test: the device must fail to open. The loader is real, so a posted job would show.
TEST(MusicPlayerClosed, PlayDoesNothingWithoutAnAudioDevice)
{
    testing_support::useHeadlessSdl();
    ASSERT_EQ(audioFiles().error, "");
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);

    vell::AssetLoader loader;
    ASSERT_TRUE(loader.start(nullptr, 1 << 20, 1024));
    MusicPlayer player;
    int changes = 0, plays = 0;
    player.onStateChanged = [&](int) { ++changes; };
    player.onPlay = [&](const std::string&) { ++plays; };
    EXPECT_FALSE(player.openAudio(&loader));
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);

    player.play(audioFiles().flac);
    EXPECT_EQ(player.state(), MusicState::Stopped);
    EXPECT_EQ(player.path(), "");
    EXPECT_EQ(loader.queuedJobs() + loader.waitingCompletions(), 0u);
    player.setVolume(0.3f);
    EXPECT_FLOAT_EQ(player.volume(), 0.3f);
    player.update(0.1f);
    EXPECT_EQ(player.position(), 0);
    EXPECT_EQ(changes + plays, 0);
}

} // namespace

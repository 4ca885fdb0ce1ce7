#pragma once
// A real PlayerCore on a real MusicPlayer (dummy audio driver), asset loader, Net and
// store in a temporary home. Time for listening and timers comes from `now`, a clock
// the test moves by hand; songs are WAV files written here, any length, in an instant.
#include "app/core/platform.h"
#include "app/core/store.h"
#include "app/net/net.h"
#include "app/net/subsonic.h"
#include "app/player/player_core.h"
#include "vell/asset_loader.h"
#include "vell/music_player.h"

#include "support/temp_home.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace player_testing {

using vell::MusicState;
namespace platform = cad::platform;

// A silent 8 kHz mono 8-bit WAV of `seconds`.
inline void writeWav(const std::string& path, double seconds)
{
    const auto samples = static_cast<uint32_t>(seconds * 8000);
    const uint32_t header[] = {0x46464952, 36 + samples, 0x45564157, 0x20746d66, 16, 0x00010001, 8000, 8000,
                               0x00080001, 0x61746164, samples}; // RIFF, WAVE, "fmt ": PCM mono 8 kHz 8 bit, data
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(header), sizeof header)
        << std::string(samples, '\x80');
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loader.start(nullptr, 1 << 20, 1024)) << SDL_GetError();
        ASSERT_TRUE(music.openAudio(&loader)) << SDL_GetError();
        store.load();
        net.requestPool.start(2);
        net.streamPool.start(2);
        platform::makeDirs(home.path() + "/media");
        makePlayer();
    }

    void TearDown() override
    {
        player.reset();
        net.shutdown();
        loader.stop(); // before the mixer closes: SDL_mixer must not close while a file opens
        music.closeAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    // A new player, as after a restart.
    void makePlayer()
    {
        player.reset();
        player = std::make_unique<cad::PlayerCore>(net, subsonic, store, music);
        player->clock = [this] { return now; };
        player->onMessage = [this](const std::string& text) { messages.push_back(text); };
    }

    void frame()
    {
        loader.pump();
        music.update(1.0f / 60.0f);
        net.poll();
        player->tick(1.0f / 60.0f);
    }

    // Runs frames until `done` holds; generous for sanitizers and a busy machine.
    bool runUntil(const std::function<bool()>& done, int timeoutMs = 30000)
    {
        const uint64_t end = SDL_GetTicks64() + uint64_t(timeoutMs);
        while (!done()) {
            if (SDL_GetTicks64() > end)
                return false;
            frame();
            SDL_Delay(2);
        }
        return true;
    }

    bool playing() { return runUntil([&] { return music.state() == MusicState::Playing; }); }

    // Ticks the player with the clock moved by `seconds`.
    void advance(double seconds)
    {
        now += seconds;
        player->tick(1.0f / 60.0f);
    }

    static cad::Song song(const std::string& id, const std::string& title = "", int duration = 0,
                          const std::string& suffix = "mp3")
    {
        cad::Song s;
        s.id = id;
        s.title = title.empty() ? "Song " + id : title;
        s.duration = duration;
        s.suffix = suffix;
        return s;
    }

    // A song saved for offline listening: a WAV of `seconds` in the offline index.
    cad::Song downloaded(const std::string& id, double seconds)
    {
        cad::Song s = song(id, "", static_cast<int>(seconds), "wav");
        writeWav(home.path() + "/media/" + id + ".wav", seconds);
        store.addOffline(s, home.path() + "/media/" + id + ".wav");
        return s;
    }

    std::vector<cad::Song> downloadedSongs(int count, double seconds)
    {
        std::vector<cad::Song> songs;
        for (int i = 0; i < count; ++i)
            songs.push_back(downloaded("s" + std::to_string(i), seconds));
        return songs;
    }

    testing_support::TempHome home; // first: everything below lives in it
    vell::AssetLoader loader;
    vell::MusicPlayer music;
    cad::Net net;
    cad::Subsonic subsonic{net};
    cad::Store store;
    std::unique_ptr<cad::PlayerCore> player;
    std::vector<std::string> messages;
    double now = 1000;
};

} // namespace player_testing

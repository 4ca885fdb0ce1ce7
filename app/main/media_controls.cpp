#include "app/main/media_controls.h"

#include "app/core/monotonic_clock.h"
#include "app/core/platform.h"
#include "app/main/single_instance.h"
#include "app/main/test_hooks.h"
#include "app/net/covers.h"
#include "app/player/player_core.h"
#include "vell/engine.h"
#include "vell/music_player.h"
#include "vell/wake.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace cad {

namespace {

// The largest cover the program keeps of the song, if any is on disk yet.
std::string coverFile(const Song& song)
{
    if (song.coverArt.empty())
        return {};
    for (int size : { 600, 300 }) {
        std::string path = Covers::path(song.coverArt, size);
        if (platform::fileExists(path))
            return path;
    }
    return {};
}

int64_t positionUs(const PlayerCore& player)
{
    return player.active ? static_cast<int64_t>(player.music().position() * 1e6) : 0;
}

} // namespace

std::string MediaControls::start(PlayerCore& player, vell::Engine& engine)
{
    m_player = &player;
    m_engine = &engine;
    MprisActions a;
    a.raise = [this] { raiseWindow(); };
    a.quit = [this] { m_engine->quit(); };
    a.playPause = [this] { m_player->togglePause(); };
    a.play = [this] {
        const vell::MusicState state = m_player->music().state();
        if (state != vell::MusicState::Playing && state != vell::MusicState::Loading)
            m_player->togglePause();
    };
    a.pause = [this] {
        if (m_player->music().state() == vell::MusicState::Playing)
            m_player->togglePause();
    };
    a.stop = [this] { m_player->stop(); };
    a.next = [this] { m_player->next(); };
    a.previous = [this] { m_player->previous(); };
    a.seek = [this](int64_t offsetUs) {
        const int64_t length = m_service.state().metadata.lengthUs;
        // Past the end means the next song.
        if (length > 0 && positionUs(*m_player) + offsetUs > length)
            m_player->next();
        else
            m_player->seekBy(double(offsetUs) / 1e6);
    };
    a.setPosition = [this](int64_t target) {
        const int64_t length = m_service.state().metadata.lengthUs;
        if (length > 0)
            m_player->seekFraction(static_cast<float>(double(target) / double(length)));
    };
    a.setRepeat = [this](int repeat) {
        for (int turns = 0; turns < 3 && m_player->repeat != repeat; ++turns)
            m_player->cycleRepeat();
    };
    a.setShuffle = [this](bool on) { m_player->setShuffle(on); };
    a.setVolume = [this](double volume) { m_player->setVolume(static_cast<float>(std::clamp(volume, 0.0, 1.0))); };
    a.position = [this] { return positionUs(*m_player); };

    std::string error;
    if (!m_service.start(std::move(a), &vell::wakeEngine, error)) {
        std::fprintf(stderr, "sonaria: media controls are off (%s)\n", error.c_str());
        return kNoBusNote;
    }
    frame();
    return m_service.busName();
}

void MediaControls::frame()
{
    if (!m_service.running())
        return;
    m_service.process();
    m_service.publish(mprisState(*m_player, coverFile), monotonicSeconds());
}

void MediaControls::stop()
{
    m_service.stop();
    m_player = nullptr;
    m_engine = nullptr;
}

void MediaControls::raiseWindow()
{
    SDL_Window* window = m_engine->window();
    if (!window)
        return;
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED)
        SDL_RestoreWindow(window);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    testhooks::log("raise", "window");
}

} // namespace cad

#include "vell/music_player.h"
#include "vell/wake.h"

#include "vell/asset_loader.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>

namespace vell {

namespace {

// SDL_mixer's finished hook takes no user data, so the player it flags is process-wide.
// Atomic because the hook runs on the audio thread.
std::atomic<MusicPlayer*> g_hookTarget{nullptr};

constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
constexpr int kChunkSamples = 2048;

int mixerVolume(float v)
{
    return int(std::trunc(v * MIX_MAX_VOLUME));
}

} // namespace

void MusicPlayer::MusicFree::operator()(Mix_Music* music) const
{
    Mix_FreeMusic(music);
}

MusicPlayer::MusicPlayer() = default;

MusicPlayer::~MusicPlayer()
{
    closeAudio();
}

bool MusicPlayer::openAudio(AssetLoader* worker)
{
    m_worker = worker;
    if (m_audioOpen)
        return true;
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(kFrequency, AUDIO_S16LSB, kChannels, kChunkSamples) != 0)
        return false;
    applyVolume();
    m_audioOpen = true;
    g_hookTarget = this;
    Mix_HookMusicFinished(&MusicPlayer::finishedHook);
    return true;
}

void MusicPlayer::closeAudio()
{
    if (!m_audioOpen)
        return;
    Mix_HookMusicFinished(nullptr);
    Mix_HaltMusic();
    m_music.reset();
    Mix_CloseAudio();
    m_audioOpen = false;
    MusicPlayer* self = this;
    g_hookTarget.compare_exchange_strong(self, nullptr);
}

void MusicPlayer::finishedHook()
{
    if (MusicPlayer* target = g_hookTarget.load()) {
        target->m_finished.store(true);
        wakeEngine();
    }
}

std::string MusicPlayer::titleFromPath(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

void MusicPlayer::play(const std::string& path)
{
    if (!m_audioOpen || !m_worker)
        return;
    Mix_HaltMusic();
    m_music.reset();
    m_path = path;
    m_title = titleFromPath(path);
    m_position = 0;
    m_duration = 0;
    setState(MusicState::Loading);
    const int generation = ++m_generation;

    // Filled on the loader thread, read by the completion; the loader's queue mutex orders the
    // two. Whatever the slot still holds when the last half lets go of it is freed.
    auto slot = std::make_shared<MusicPtr>();
    const bool posted = m_worker->post(
        [slot, path] { slot->reset(Mix_LoadMUS(path.c_str())); },
        [this, slot, generation] { loadCompleted(generation, std::move(*slot)); });
    if (!posted)
        setState(MusicState::Stopped); // loader not running: the file can never open
    if (onPlay)
        onPlay(path);
}

void MusicPlayer::loadCompleted(int generation, MusicPtr music)
{
    if (generation != m_generation || !m_audioOpen)
        return; // superseded by play or stop: `music` is freed here
    if (!music) {
        setState(MusicState::Stopped);
        return;
    }
    m_music = std::move(music);
    const double decoded = Mix_MusicDuration(m_music.get());
    if (decoded > 0)
        m_duration = decoded;
    // The tag only: Mix_GetMusicTitle would fall back to the file name with its extension.
    const char* tag = Mix_GetMusicTitleTag(m_music.get());
    if (tag && *tag)
        m_title = tag;
    if (Mix_PlayMusic(m_music.get(), 1) != 0) {
        setState(MusicState::Stopped);
        return;
    }
    m_finished.store(false); // the halt in play() raised it; that was not the end of a track
    setState(MusicState::Playing);
}

void MusicPlayer::stop()
{
    ++m_generation;
    if (m_audioOpen)
        Mix_HaltMusic();
    m_position = 0;
    setState(MusicState::Stopped);
}

void MusicPlayer::pause()
{
    if (m_state != MusicState::Playing)
        return;
    Mix_PauseMusic();
    setState(MusicState::Paused);
}

void MusicPlayer::resume()
{
    if (m_state != MusicState::Paused)
        return;
    Mix_ResumeMusic();
    setState(MusicState::Playing);
}

bool MusicPlayer::seek(double seconds)
{
    if (!m_music)
        return false;
    if (Mix_SetMusicPosition(seconds) != 0)
        return false;
    m_position = seconds;
    return true;
}

void MusicPlayer::setVolume(float v)
{
    m_volume = std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
    if (m_audioOpen)
        applyVolume();
}

void MusicPlayer::applyVolume() const
{
    Mix_VolumeMusic(mixerVolume(m_volume));
}

void MusicPlayer::update(float dt)
{
    if (!m_audioOpen)
        return;
    if (m_finished.exchange(false)) {
        if (m_state == MusicState::Playing || m_state == MusicState::Paused) {
            m_position = 0;
            setState(MusicState::Stopped);
            if (onFinished)
                onFinished();
            return;
        }
    }
    if (m_state != MusicState::Playing)
        return;
    const double p = Mix_GetMusicPosition(m_music.get());
    if (p >= 0)
        m_position = p;
    else
        m_position += dt; // negative or NaN: the decoder cannot tell
}

void MusicPlayer::setState(MusicState state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (onStateChanged)
        onStateChanged(int(state));
}

} // namespace vell

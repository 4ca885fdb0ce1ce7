#include "vell/audio_output.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace vell {

namespace {

// About 200 ms at 44.1 or 48 kHz: the sound server refills rarely, and a pause or a seek is
// still heard at once because both drop what waits in the ring.
int bufferFramesFor(int rate)
{
    return rate > 64000 ? 16384 : 8192;
}

} // namespace

// A device left paused this long is closed: SDL would otherwise keep feeding silence.
constexpr auto kIdleClose = std::chrono::seconds(2);

AudioOutput::~AudioOutput()
{
    finish();
}

bool AudioOutput::probe()
{
    // Opening a device here would only prove it opens now; start() reports a failure later.
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec native{};
    m_rate = 44100;
    if (SDL_GetDefaultAudioInfo(nullptr, &native, 0) == 0 && native.freq >= 8000 && native.freq <= 384000)
        m_rate = native.freq;
    if (!m_closer.joinable()) {
        std::lock_guard lock(m_mutex);
        m_quit = false;
        m_closer = std::thread([this] { closer(); });
    }
    m_available = true;
    return true;
}

bool AudioOutput::start()
{
    std::lock_guard lock(m_mutex);
    m_closePending = false;
    if (m_device == 0) {
        SDL_AudioSpec want{};
        want.freq = m_rate;
        want.format = AUDIO_F32SYS; // the sound server takes floats; SDL converts for a device that does not
        want.channels = 2;
        want.samples = Uint16(bufferFramesFor(m_rate));
        want.callback = &AudioOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
        if (device == 0)
            return false;
        m_device = device;
        // The device starts paused, so the callback cannot see the buffer change.
        m_scratch.assign(size_t(std::max<int>(have.samples, 256)) * 2, 0.0f);
    }
    SDL_PauseAudioDevice(m_device, 0);
    m_running = true;
    return true;
}

void AudioOutput::pause()
{
    m_running = false;
    std::lock_guard lock(m_mutex);
    if (m_device == 0)
        return;
    SDL_PauseAudioDevice(m_device, 1);
    m_closePending = true;
    m_closeAt = std::chrono::steady_clock::now() + kIdleClose;
    m_wake.notify_all();
}

bool AudioOutput::deviceOpen()
{
    std::lock_guard lock(m_mutex);
    return m_device != 0;
}

void AudioOutput::finish()
{
    m_running = false;
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        if (m_device != 0)
            SDL_CloseAudioDevice(m_device);
        m_device = 0;
        m_closePending = false;
    }
    m_wake.notify_all();
    if (m_closer.joinable())
        m_closer.join();
    m_available = false;
}

// The helper: closes the device once it has stayed paused for kIdleClose.
void AudioOutput::closer()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (!m_closePending) {
            m_wake.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() < m_closeAt) {
            m_wake.wait_until(lock, m_closeAt);
            continue;
        }
        m_closePending = false;
        if (m_device != 0)
            SDL_CloseAudioDevice(m_device); // SDL waits for its audio thread; start() waits for us
        m_device = 0;
    }
}

void AudioOutput::callback(void* self, uint8_t* stream, int bytes)
{
    static_cast<AudioOutput*>(self)->fill(stream, bytes);
}

void AudioOutput::fill(uint8_t* stream, int bytes)
{
    int frames = bytes / int(sizeof(float) * 2);
    auto* out = reinterpret_cast<float*>(stream);
    while (frames > 0) {
        const int chunk = std::min(frames, int(m_scratch.size() / 2));
        const int got = m_ring.pop(m_scratch.data(), chunk);
        if (got < chunk) {
            std::fill(m_scratch.begin() + got * 2, m_scratch.begin() + chunk * 2, 0.0f);
            m_starved.store(true);
        }
        const float gain = m_gain.load(std::memory_order_relaxed);
        const int samples = chunk * 2;
        for (int i = 0; i < samples; ++i)
            out[i] = std::clamp(m_scratch[size_t(i)] * gain, -1.0f, 1.0f);
        out += samples;
        frames -= chunk;
    }
}

} // namespace vell

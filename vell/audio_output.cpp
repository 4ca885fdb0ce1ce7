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
    m_available = true;
    return true;
}

bool AudioOutput::start()
{
    if (m_device == 0) {
        SDL_AudioSpec want{};
        want.freq = m_rate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = Uint16(bufferFramesFor(m_rate));
        want.callback = &AudioOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // Float samples: the sound server takes them natively, and SDL converts for a device
        // that does not.
        SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
        if (device == 0 && !m_closers.empty()) {
            // Drivers with a single device (dummy, disk) open it again only once it has closed.
            reapClosers(true);
            device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
        }
        if (device == 0)
            return false;
        m_device = device;
        m_bufferFrames = have.samples;
        m_scratch.assign(size_t(have.samples) * 2, 0.0f);
    }
    SDL_PauseAudioDevice(m_device, 0);
    m_running = true;
    return true;
}

void AudioOutput::pause()
{
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, 1);
    m_running = false;
}

void AudioOutput::close()
{
    m_running = false;
    if (m_device == 0)
        return;
    // Paused first, so the callback never runs again; SDL then waits up to two buffers for its
    // audio thread to end, which the UI thread must not sit through.
    SDL_PauseAudioDevice(m_device, 1);
    reapClosers(false);
    auto closed = std::make_shared<std::atomic<bool>>(false);
    const SDL_AudioDeviceID device = m_device;
    m_device = 0;
    m_closers.push_back({std::thread([device, closed] {
                             SDL_CloseAudioDevice(device);
                             closed->store(true);
                         }),
                         closed});
}

void AudioOutput::finish()
{
    close();
    reapClosers(true);
}

void AudioOutput::reapClosers(bool all)
{
    for (auto it = m_closers.begin(); it != m_closers.end();) {
        if (all || it->done->load()) {
            it->thread.join();
            it = m_closers.erase(it);
        } else {
            ++it;
        }
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

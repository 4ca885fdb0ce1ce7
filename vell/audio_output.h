#pragma once
// The sound device: SDL's audio device fed from an AudioRing by SDL's audio thread. Opened at
// the device's own rate with a buffer sized for music (about 200 ms), so the sound server wakes
// rarely; closed whenever nothing plays, so an idle program costs the sound server nothing.
//
// The callback only copies float frames from the ring and applies the gain: it never blocks, reads files or allocates. When the ring runs dry it plays silence
// and raises starved().
//
//   AudioOutput out;
//   if (!out.probe()) ...no audio...;   // learns the device's format, leaves it closed
//   out.ring().reset(out.rate(), 2);    // before start()
//   out.start(); ... out.stop();        // open and run / close
#include "vell/audio_ring.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace vell {

class AudioOutput {
public:
    AudioOutput() = default;
    ~AudioOutput(); // close()
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Initialises SDL audio when needed and learns the default device's rate; leaves the device
    // closed. False when SDL has no audio driver.
    bool probe();
    bool available() const { return m_available; }

    // Opens (if closed) and runs the device. False when it cannot be opened.
    bool start();
    // Stops the callback but keeps the device open (a short pause, a seek).
    void pause();
    // Closes the device: nothing runs and the sound server may sleep. Returns at once; SDL's
    // audio thread ends on a helper thread.
    void close();
    // close(), then waits for every helper: before SDL audio shuts down.
    void finish();
    bool running() const { return m_running; }
    bool deviceOpen() const { return m_device != 0; }

    int rate() const { return m_rate; }
    int channels() const { return 2; }
    // Frames the device buffers per callback.
    int bufferFrames() const { return m_bufferFrames; }
    AudioRing& ring() { return m_ring; }
    const AudioRing& ring() const { return m_ring; }

    // Linear gain applied by the callback (volume times normalisation); any thread.
    void setGain(float gain) { m_gain.store(gain); }
    float gain() const { return m_gain.load(); }

    // True when the callback found the ring empty since the last call; clears it.
    bool takeStarved() { return m_starved.exchange(false); }

private:
    static void callback(void* self, uint8_t* stream, int bytes);
    void fill(uint8_t* stream, int bytes);
    void reapClosers(bool all);

    struct Closer {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Closer> m_closers;

    AudioRing m_ring;
    std::vector<float> m_scratch; // sized at open for one callback's frames
    std::atomic<float> m_gain{1.0f};
    std::atomic<bool> m_starved{false};
    uint32_t m_device = 0;
    int m_rate = 44100;
    int m_bufferFrames = 0;
    bool m_available = false;
    bool m_running = false;
};

} // namespace vell

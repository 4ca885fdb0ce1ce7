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
//   out.start(); ... out.pause();       // run / stop (closed after a while)
#include "vell/audio_ring.h"

#include <atomic>
#include <cstdint>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace vell {

class AudioOutput {
public:
    AudioOutput() = default;
    ~AudioOutput(); // finish()
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Initialises SDL audio when needed, learns the default device's rate and starts the helper
    // that closes an idle device. The device itself stays closed. False when SDL has no audio
    // driver.
    bool probe();
    bool available() const { return m_available; }

    // Opens (if closed) and runs the device. False when it cannot be opened.
    bool start();
    // Stops the callback at once; the device closes after a short idle spell (so a track change
    // or a brief pause does not reopen it), letting the sound server sleep.
    void pause();
    // Closes the device now and stops the helper: before SDL audio shuts down.
    void finish();
    bool running() const { return m_running; }
    bool deviceOpen();

    int rate() const { return m_rate; }
    int channels() const { return 2; }
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
    void closer();

    AudioRing m_ring;
    std::vector<float> m_scratch; // sized at open for one callback's frames
    std::atomic<float> m_gain{1.0f};
    std::atomic<bool> m_starved{false};
    int m_rate = 44100;
    bool m_available = false;
    bool m_running = false; // UI thread

    // SDL's device calls are not made from two threads at once: all go under this mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    uint32_t m_device = 0;                          // guarded
    std::chrono::steady_clock::time_point m_closeAt; // guarded; meaningful while m_closePending
    bool m_closePending = false;                    // guarded
    bool m_quit = false;                            // guarded
    std::thread m_closer;
};

} // namespace vell

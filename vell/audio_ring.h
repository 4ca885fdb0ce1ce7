#pragma once
// A single-producer, single-consumer ring of interleaved float frames between the decoding
// thread and SDL's audio callback. Its storage is allocated once by reset(), while neither side
// runs; push and pop never allocate, block or take a lock.
//
//   ring.reset(48000, 2);                    // 1 s of stereo, before the device starts
//   decoder thread: ring.push(samples, frames) -> frames taken
//   audio callback: ring.pop(out, frames)      -> frames given (the rest is the caller's silence)
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vell {

class AudioRing {
public:
    // Not thread-safe: call while no producer or consumer runs.
    void reset(int frames, int channels)
    {
        m_channels = std::max(channels, 1);
        m_capacity = std::max(frames, 1);
        m_data.assign(size_t(m_capacity) * size_t(m_channels), 0.0f);
        m_read.store(0);
        m_write.store(0);
        m_dropTo.store(0);
    }

    int channels() const { return m_channels; }
    int capacity() const { return m_capacity; }

    // Frames waiting to be played (a requested drop not yet applied still counts). Either side
    // may ask.
    int available() const { return int(m_write.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire)); }
    int space() const { return m_capacity - available(); }

    // Frames consumed since reset(); grows by every pop and every drop.
    uint64_t consumed() const { return m_read.load(std::memory_order_acquire); }
    // Frames written since reset().
    uint64_t written() const { return m_write.load(std::memory_order_acquire); }

    // Producer: copies up to `frames` frames; returns how many fit.
    int push(const float* samples, int frames)
    {
        const uint64_t w = m_write.load(std::memory_order_relaxed);
        const int n = std::min(frames, m_capacity - int(w - m_read.load(std::memory_order_acquire)));
        copyIn(w, samples, n);
        m_write.store(w + uint64_t(n), std::memory_order_release);
        return n;
    }

    // Consumer: copies up to `frames` frames out; returns how many there were.
    int pop(float* out, int frames)
    {
        uint64_t r = m_read.load(std::memory_order_relaxed);
        const uint64_t dropTo = m_dropTo.load(std::memory_order_acquire);
        if (dropTo > r)
            r = std::min(dropTo, m_write.load(std::memory_order_acquire));
        const int n = std::min(frames, int(m_write.load(std::memory_order_acquire) - r));
        copyOut(r, out, n);
        m_read.store(r + uint64_t(n), std::memory_order_release);
        return n;
    }

    // Any thread: the consumer skips everything written so far at its next pop, so a seek or a
    // new track is heard at once. consumed() then jumps by the dropped frames.
    void requestDrop()
    {
        const uint64_t w = m_write.load(std::memory_order_acquire);
        uint64_t old = m_dropTo.load(std::memory_order_relaxed);
        while (old < w && !m_dropTo.compare_exchange_weak(old, w, std::memory_order_acq_rel)) {
        }
    }

private:
    void copyIn(uint64_t at, const float* samples, int frames)
    {
        const int start = int(at % uint64_t(m_capacity));
        const int first = std::min(frames, m_capacity - start);
        std::memcpy(&m_data[size_t(start) * size_t(m_channels)], samples, sizeof(float) * size_t(first * m_channels));
        if (frames > first)
            std::memcpy(m_data.data(), samples + size_t(first * m_channels), sizeof(float) * size_t((frames - first) * m_channels));
    }

    void copyOut(uint64_t at, float* out, int frames) const
    {
        const int start = int(at % uint64_t(m_capacity));
        const int first = std::min(frames, m_capacity - start);
        std::memcpy(out, &m_data[size_t(start) * size_t(m_channels)], sizeof(float) * size_t(first * m_channels));
        if (frames > first)
            std::memcpy(out + size_t(first * m_channels), m_data.data(), sizeof(float) * size_t((frames - first) * m_channels));
    }

    std::vector<float> m_data;
    int m_channels = 2;
    int m_capacity = 1;
    std::atomic<uint64_t> m_read{0};
    std::atomic<uint64_t> m_write{0};
    std::atomic<uint64_t> m_dropTo{0};
};

} // namespace vell

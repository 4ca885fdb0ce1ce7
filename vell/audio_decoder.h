#pragma once
// One audio file decoded with FFmpeg into interleaved float frames at the output's rate and
// channel count. Runs on the music player's decoding thread only; nothing here touches SDL.
//
// The file may still be growing (a stream being fetched): while `growing()` says more bytes may
// come, a read past the current end waits (raising the caller's `waiting` flag) instead of ending, so
// playback starts with the first bytes and a seek past what has arrived waits for it.
// Encoder delay and padding that the container declares (LAME/Xing, MP4 edit lists, Opus
// pre-skip) are trimmed by FFmpeg itself.
//
//   AudioDecoder d;
//   if (!d.open(path, 48000, 2, {}, &abort)) fail(d.error());
//   d.seek(30.0);
//   while (int frames = d.decode()) ring.push(d.samples(), frames);
#include <atomic>
#include <functional>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVIOContext;
struct SwrContext;
struct AVPacket;
struct AVFrame;

namespace vell {

// Loudness data of one file, from its REPLAYGAIN_* or R128_* tags; NaN when absent.
struct FileGains {
    double trackGain, trackPeak, albumGain, albumPeak;
};

class AudioDecoder {
public:
    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens `path` and its first audio stream, converting to `rate` Hz and `channels`
    // channels. `growing` (may be empty; called on this thread, must be thread-safe) is true
    // while another thread still appends to the file. `abort`, when raised, makes any wait give
    // up. False with error() set when the file cannot be opened or holds no decodable audio.
    // `waiting`, when given, is raised while a read waits for the file to grow.
    bool open(const std::string& path, int rate, int channels, std::function<bool()> growing,
              const std::atomic<bool>* abort, std::atomic<bool>* waiting = nullptr);
    void close();
    bool isOpen() const { return m_format != nullptr; }

    // Decodes the next piece. Returns the number of frames now in samples() (interleaved);
    // 0 at the end of the audio (a file cut short ends where its data ends, a corrupted frame
    // is skipped).
    int decode();
    const float* samples() const { return m_out.data(); }

    // Moves so that the next decode() starts at `seconds` (within a few ms). False when the
    // container cannot seek.
    bool seek(double seconds);

    double duration() const { return m_duration; } // seconds; 0 when unknown
    double position() const { return m_position; } // seconds of the next frame decode() returns
    const std::string& title() const { return m_title; } // the title tag; empty when none
    const FileGains& gains() const { return m_gains; }
    const std::string& error() const { return m_error; }

    // Called by the I/O callbacks.
    int readBytes(unsigned char* buffer, int size);
    long long seekBytes(long long offset, int whence);

private:
    bool fail(const std::string& message);
    bool setupResampler();
    int convert(AVFrame* frame);
    int drainResampler();
    void readTags();
    void setWaiting(bool waiting);

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVIOContext* m_io = nullptr;
    SwrContext* m_swr = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    void* m_file = nullptr; // FILE*
    std::function<bool()> m_growing;
    const std::atomic<bool>* m_abort = nullptr;
    std::atomic<bool>* m_waiting = nullptr;
    int m_stream = -1;
    int m_rate = 48000;
    int m_channels = 2;
    int m_swrFormat = -1, m_swrRate = 0, m_swrChannels = 0;
    bool m_inputDone = false;  // no more packets: the decoder is being drained
    bool m_decoderDone = false; // the decoder is empty: the resampler is being drained
    bool m_finished = false;
    int m_badPackets = 0;      // consecutive packets the decoder refused
    double m_skipUntil = -1;   // after a seek: output before this time is dropped
    double m_duration = 0;
    double m_endAt = 0; // output stops here (an exact container length); 0 when not known
    double m_position = 0;
    std::string m_title;
    std::string m_error;
    FileGains m_gains;
    std::vector<float> m_out;
};

} // namespace vell

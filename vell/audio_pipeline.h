#pragma once
// The music player's decoding thread: opens files with AudioDecoder and keeps the output's ring
// filled ahead of SDL's audio callback. The UI thread sends it commands and takes back events;
// the two share only a mutex-guarded command slot and event list, plus atomics.
//
// Positions are told in ring frames: every event that starts audio carries `at`, the ring's
// write count where its first frame went, so the UI knows what is heard from consumed().
// A track queued with queueNext() follows the current one in the same ring, without a gap.
#include "vell/audio_decoder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vell {

class AudioRing;

// A file to play. `growing`, when set, is true while another thread still appends to `path`;
// once it says false, `path` may have been renamed to `finalPath`.
struct AudioSource {
    std::string path;
    std::string finalPath;
    std::function<bool()> growing;
};

struct AudioEvent {
    enum Type {
        Opened,    // the file of `generation` plays from `at`
        Failed,    // the file of `generation` could not be opened
        Continued, // the queued next file plays from `at`, right after the current one
        Seeked,    // after seek `serial`, the frame at `at` is `pts` seconds into the file
        Ended,     // the current file's last frame was written before `at`
    };
    Type type = Opened;
    int generation = 0;
    int serial = 0;
    uint64_t at = 0;
    double pts = 0;
    double duration = 0;
    std::string title;
    std::string path;
    FileGains gains{};
};

class AudioPipeline {
public:
    AudioPipeline() = default;
    ~AudioPipeline(); // shutdown()
    AudioPipeline(const AudioPipeline&) = delete;
    AudioPipeline& operator=(const AudioPipeline&) = delete;

    // Starts the thread, converting to `rate` Hz stereo into `ring`.
    void start(AudioRing* ring, int rate);
    // Stops and joins the thread; the current file is closed.
    void shutdown();

    // Replaces whatever plays with `source` (generation `generation`), from `startAt` seconds.
    void open(int generation, AudioSource source, double startAt = 0);
    // The file to follow the current one without a gap; an empty path withdraws it.
    void queueNext(int generation, AudioSource source);
    void seek(int serial, double seconds);
    // Closes the current file; nothing more is written.
    void stop();

    // Events since the last call, oldest first. UI thread.
    std::vector<AudioEvent> takeEvents();
    // True when an event of `generation` waits.
    bool hasEvents(int generation);
    // True while the current file waits for its data to arrive.
    bool waitingForData() const { return m_waiting.load(); }

    // Called by the engine's wake hook when an event is posted; may be empty.
    std::function<void()> onEvent;

private:
    struct Command {
        bool stop = false;
        std::optional<std::pair<int, AudioSource>> open;
        double startAt = 0;
        std::optional<std::pair<int, AudioSource>> next;
        std::optional<std::pair<int, double>> seek;
    };

    void run();
    void post(AudioEvent event);
    bool openSource(AudioDecoder& decoder, const AudioSource& source);
    void endOfFile();
    bool continueWithNext();
    AudioEvent describe(AudioEvent::Type type, const AudioDecoder& decoder, const std::string& path) const;
    void apply(Command& command);
    void fillRing();
    bool commandWaiting();

    AudioRing* m_ring = nullptr;
    int m_rate = 44100;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Command m_command;          // guarded by m_mutex
    bool m_hasCommand = false; // guarded by m_mutex
    bool m_quit = false;       // guarded by m_mutex
    std::vector<AudioEvent> m_events; // guarded by m_mutex
    std::atomic<bool> m_abort{false};   // makes a read waiting for data give up
    std::atomic<bool> m_waiting{false};

    // Decoding thread only.
    std::unique_ptr<AudioDecoder> m_current = std::make_unique<AudioDecoder>();
    std::unique_ptr<AudioDecoder> m_next = std::make_unique<AudioDecoder>();
    int m_generation = 0;
    std::optional<std::pair<int, AudioSource>> m_nextSource;
    bool m_ended = true;
    bool m_atFileEnd = false; // ended by reaching the current file's end, not by stop or failure
};

} // namespace vell

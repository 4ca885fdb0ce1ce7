#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "vell/audio_output.h"
#include "vell/audio_pipeline.h"

namespace vell {

class AssetLoader;

enum class MusicState : int {
    Stopped = 0, // nothing playing: initially, after stop, at the end of a track, after a failed load
    Loading = 1, // the file is being opened on the asset thread
    Playing = 2,
    Paused = 3,
};

// The toolkit's single music channel: one local file at a time, decoded with FFmpeg on the
// player's own decoding thread (AudioPipeline) into SDL's audio device (AudioOutput). The file may
// still be arriving (playGrowing), and a file queued with queueNext() follows the current one
// without a gap. The engine owns one instance, opens audio with openAudio() at init, calls
// update() every frame, and closes it with closeAudio() at shutdown.
//
// Every method runs on the UI thread, and so do the callbacks. The decoding thread reports through
// events that update() consumes, and a track's end or the switch to the queued one is announced
// when its last (or first) sample is heard, not when it was decoded. A track that ends by itself
// yields exactly one onFinished; play() and stop() never do. The device is open only while
// something plays, so an idle or paused player costs the sound server nothing.
//
//   player.onFinished = [&] { queue.next(); };
//   player.play("/music/song.flac");            // state Loading, then Playing in a later frame
//   if (player.state() == MusicState::Playing) drawProgress(player.position(), player.duration());
class MusicPlayer {
public:
    // A track ended by itself (not by stop or play).
    std::function<void()> onFinished;
    // Called at the end of every play() that was accepted (audio open), with the requested path.
    std::function<void(const std::string& path)> onPlay;
    // Called whenever state() changes, with the new MusicState value as int.
    std::function<void(int state)> onStateChanged;
    // The file queued with queueNext() is now heard (the previous one ended by itself); path()
    // title() and duration() already describe it. No onFinished comes for the previous one.
    std::function<void(const std::string& path)> onAdvanced;

    MusicPlayer();
    ~MusicPlayer(); // closeAudio()
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Engine init: initialises SDL audio when needed, checks that the default device opens (at
    // its own rate, float stereo, ~200 ms buffer) and starts the decoding thread. Returns false
    // when no device opens; play() then does nothing for the rest of the run. Nothing is
    // reported. `worker` is kept for callers that share it; files are opened on the decoding thread.
    bool openAudio(AssetLoader* worker);

    // Engine shutdown: stops the decoding thread and closes the device. No-op when closed.
    void closeAudio();

    // Stops whatever plays, then opens `path` on the decoding thread; it starts in the update()
    // that sees it open. The outcome shows in state(): Playing, or Stopped when the file cannot be
    // opened. Does nothing while audio is closed.
    void play(const std::string& path);

    // Like play() for a file another thread is still writing at `path`: `growing` (called on the
    // decoding thread, must be thread-safe) is true while more bytes may come, and once it says
    // false the file may have moved to `finalPath`. Sound starts with the first decodable bytes;
    // when playback catches up with the data it waits and buffering() is true.
    void playGrowing(const std::string& path, const std::string& finalPath, std::function<bool()> growing);

    // The file to play right after the current one, without a gap, when the current one ends by
    // itself (`growing` as for playGrowing; may be empty). Its start is announced by onAdvanced.
    // An empty path withdraws it. Ignored unless something is loading or playing.
    void queueNext(const std::string& path, std::function<bool()> growing = {});
    const std::string& queuedNext() const { return m_queuedNext; }

    // Halts playback and invalidates any load in flight. The loaded file stays until next play().
    void stop();

    void pause();  // Playing -> Paused; otherwise nothing
    void resume(); // Paused -> Playing; otherwise nothing

    // True when a file is loaded; the decoder then lands on `seconds` from the start (within a
    // few ms). Range checks are the caller's.
    bool seek(double seconds);

    // Clamped to [0, 1]; applied as the linear gain trunc(v * 128) / 128 (so 0.8 gives 102/128).
    void setVolume(float v);
    // The volume step applied, 0..128.
    int mixerVolume() const;

    // Loudness correction in dB for the current file (ReplayGain), applied on top of the volume;
    // `peak` (linear, 0 when unknown) keeps the result from clipping.
    void setNormalisation(double gainDb, double peak);
    // The linear loudness correction applied now (1 without one).
    double normalisationGain() const { return m_normGain; }
    // The current file's own loudness tags (NaN members when absent), known once it is Playing.
    const FileGains& fileGains() const { return m_fileGains; }

    // A duration (seconds) from the owner's records, kept while the decoder reports none.
    void setDuration(double seconds) { m_duration = seconds; }

    // Per frame, after the loader's completions: turns the finished flag into the end of the
    // track and follows the playing position (falling back to adding `dt` when the decoder
    // cannot tell its position).
    void update(float dt);
    // Seconds until the device reaches the next song queued behind this one, or the end;
    // infinite when neither is decoded yet. The engine wakes then to report it on time.
    double secondsToHeardChange() const;

    MusicState state() const { return m_state; }
    double position() const { return m_position; } // seconds from the start of the current file
    double duration() const { return m_duration; } // seconds; 0 means unknown
    const std::string& title() const { return m_title; }
    const std::string& path() const { return m_path; }
    float volume() const { return m_volume; }
    bool loaded() const { return m_loaded; }
    bool audioOpen() const { return m_audioOpen; }
    // True while the file being opened or played waits for its data to arrive.
    bool buffering() const;
    // True while the sound device runs (only while Playing).
    bool outputRunning() const { return m_output.running(); }
    int outputRate() const { return m_output.rate(); }
    // True when the decoding thread has news (a file opened or failed) for the next update().
    bool reportWaiting() { return m_pipeline.hasEvents(m_generation); }

    // The display title a path gets before its tags are known: the file name without directories
    // ('/' or '\') and without its last extension. ".hidden" gives an empty title.
    static std::string titleFromPath(const std::string& path);

private:
    void start(AudioSource source);
    void handle(const AudioEvent& event);
    void heard(uint64_t consumed);
    void setState(MusicState state);
    void applyVolume();
    void runOutput(bool on);

    // The first frame of the current file is ring frame `at`, at `pts` seconds into it.
    struct Mark {
        uint64_t at = 0;
        double pts = 0;
    };

    AssetLoader* m_worker = nullptr;
    AudioOutput m_output;
    AudioPipeline m_pipeline;
    AudioSource m_source;     // the file heard now, to reopen it for a seek
    AudioSource m_nextSource; // the one queued after it
    bool m_audioOpen = false;
    bool m_loaded = false;
    MusicState m_state = MusicState::Stopped;
    Mark m_mark;
    std::optional<uint64_t> m_endAt;  // the current file's last frame is heard at this ring count
    std::optional<AudioEvent> m_advance; // the queued file, heard from its `at`
    std::string m_queuedNext;
    int m_seekSerial = 0;     // last seek sent
    int m_seekDone = 0;       // last seek the decoding thread answered
    double m_normGain = 1.0;  // linear
    FileGains m_fileGains{};
    std::string m_path;
    std::string m_title;
    double m_position = 0;
    double m_duration = 0;
    float m_volume = 0.8f;
    int m_generation = 0;
};

} // namespace vell

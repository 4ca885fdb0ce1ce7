#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>

struct _Mix_Music;
typedef struct _Mix_Music Mix_Music;

namespace vell {

class AssetLoader;

enum class MusicState : int {
    Stopped = 0, // nothing playing: initially, after stop, at the end of a track, after a failed load
    Loading = 1, // the file is being opened on the asset thread
    Playing = 2,
    Paused = 3,
};

// The toolkit's single music channel on SDL2_mixer: one local file at a time, opened on the asset
// loader's thread and started on the UI thread. The engine owns one instance, opens the device
// with openAudio() at init, calls update() every frame right after AssetLoader::pump(), and
// closes the device with closeAudio() at shutdown.
//
// Every method runs on the UI thread, and so do the callbacks. SDL_mixer's finished hook only
// raises an atomic flag that update() consumes, so a track that ends by itself yields exactly one
// onFinished; halts caused by play() or stop() never do.
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

    MusicPlayer();
    ~MusicPlayer(); // closeAudio()
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Engine init: remembers `worker` (the loader that opens files), initialises SDL audio when
    // needed, opens the mixer at 44100 Hz, AUDIO_S16LSB, stereo, 2048-sample chunks, applies the
    // volume and installs the finished hook. Returns false when the device cannot be opened;
    // play() then does nothing for the rest of the run. Nothing is reported.
    bool openAudio(AssetLoader* worker);

    // Engine shutdown: removes the hook, halts and frees the music, closes the mixer. No-op when
    // closed. Call it while the loader thread is idle or already stopped: SDL_mixer must not
    // close its decoders while the loader thread is opening a file.
    void closeAudio();

    // Stops whatever plays, then opens `path` on the asset thread; it starts in the pump that
    // delivers the load. The outcome shows in state(): Playing, or Stopped when the file cannot be
    // opened or started. Does nothing while audio is closed.
    void play(const std::string& path);

    // Halts playback and invalidates any load in flight. The loaded music stays until next play().
    void stop();

    void pause();  // Playing -> Paused; otherwise nothing
    void resume(); // Paused -> Playing; otherwise nothing

    // True when music is loaded and the mixer accepted the position (seconds from the start).
    // Range checks are the caller's.
    bool seek(double seconds);

    // Clamped to [0, 1]; applied as mixer volume trunc(v * 128) while audio is open.
    void setVolume(float v);

    // A duration (seconds) from the owner's records, kept while the decoder reports none.
    void setDuration(double seconds) { m_duration = seconds; }

    // Per frame, after the loader's completions: turns the finished flag into the end of the
    // track and follows the playing position (falling back to adding `dt` when the decoder
    // cannot tell its position).
    void update(float dt);

    MusicState state() const { return m_state; }
    double position() const { return m_position; } // seconds from the start of the current file
    double duration() const { return m_duration; } // seconds; 0 means unknown
    const std::string& title() const { return m_title; }
    const std::string& path() const { return m_path; }
    float volume() const { return m_volume; }
    bool loaded() const { return m_music != nullptr; }
    bool audioOpen() const { return m_audioOpen; }

    // The display title a path gets before its tags are known: the file name without directories
    // ('/' or '\') and without its last extension. ".hidden" gives an empty title.
    static std::string titleFromPath(const std::string& path);

private:
    struct MusicFree {
        void operator()(Mix_Music* music) const;
    };
    using MusicPtr = std::unique_ptr<Mix_Music, MusicFree>;

    static void finishedHook();
    void loadCompleted(int generation, MusicPtr music);
    void setState(MusicState state);
    void applyVolume() const;

    AssetLoader* m_worker = nullptr;
    MusicPtr m_music;
    bool m_audioOpen = false;
    std::atomic<bool> m_finished{false};
    MusicState m_state = MusicState::Stopped;
    std::string m_path;
    std::string m_title;
    double m_position = 0;
    double m_duration = 0;
    float m_volume = 0.8f;
    int m_generation = 0;
};

} // namespace vell

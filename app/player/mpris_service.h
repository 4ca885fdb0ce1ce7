#pragma once
// cad::MprisService — the player on the session bus as org.mpris.MediaPlayer2.sonaria
// (org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player on /org/mpris/MediaPlayer2),
// so media keys, lock screens, panel widgets and playerctl can show and steer it.
//
// Everything runs on the UI thread except a small watcher thread, which only polls the
// bus socket and calls `wake` when a message is waiting; it then waits until process()
// has run, so the bus itself is touched by one thread only.
//
//   MprisService bus;
//   std::string error;
//   if (!bus.start(actions, &vell::wakeEngine, error)) log(error);   // no bus: no MPRIS
//   ... each frame: bus.process(); bus.publish(mprisState(player, coverOf));
//
// Property reads answer from the last published state (Position asks `position`);
// requests go to `actions` and show in the next publish().

#include "app/player/mpris_state.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct sd_bus;
struct sd_bus_slot;

namespace cad {

struct MprisActions {
    std::function<void()> raise;
    std::function<void()> quit;
    std::function<void()> playPause;
    std::function<void()> play;
    std::function<void()> pause;
    std::function<void()> stop;
    std::function<void()> next;
    std::function<void()> previous;
    std::function<void(int64_t offsetUs)> seek;
    // Only called when `trackPath` names the current track and the position is in it.
    std::function<void(int64_t positionUs)> setPosition;
    std::function<void(int repeat)> setRepeat;
    std::function<void(bool on)> setShuffle;
    std::function<void(double volume)> setVolume;
    // The live position in µs (read on the UI thread when a client asks).
    std::function<int64_t()> position;
};

class MprisService {
public:
    MprisService() = default;
    ~MprisService(); // stop()
    MprisService(const MprisService&) = delete;
    MprisService& operator=(const MprisService&) = delete;

    // Connects to the session bus, publishes the object and takes the name
    // "org.mpris.MediaPlayer2.sonaria" (".instance<pid>" appended when another
    // Sonaria holds it). False with a one-line `error` when there is no bus.
    bool start(MprisActions actions, std::function<void()> wake, std::string& error);
    // Releases the name and the connection, and joins the watcher.
    void stop();
    bool running() const { return m_bus != nullptr; }
    // The well-known name taken, "" while not running.
    const std::string& busName() const { return m_name; }

    // Answers every call that arrived, then lets the watcher look again.
    void process();
    // Sends PropertiesChanged for what differs from the last published state, and
    // Seeked when the position jumped. `now` is a monotonic time in seconds.
    void publish(const MprisState& state, double now);
    // Tells clients the position moved by a request rather than by playing.
    void announceSeek(int64_t positionUs);

    // A second start's request: asks the program owning `busName` on the session bus to
    // raise its window. False with `error` when that cannot be done within two seconds.
    static bool raise(const std::string& busName, std::string& error);

    // Read by the bus callbacks.
    const MprisState& state() const { return m_state; }
    const MprisActions& actions() const { return m_actions; }

private:
    void watch(int busFd);
    void flush();

    sd_bus* m_bus = nullptr;
    sd_bus_slot* m_rootSlot = nullptr;
    sd_bus_slot* m_playerSlot = nullptr;
    std::string m_name;
    MprisActions m_actions;
    MprisState m_state;
    double m_publishedAt = 0;
    bool m_published = false;
    bool m_requested = false; // a seek was announced since the last publish

    std::thread m_watcher;
    std::function<void()> m_wake;
    int m_stopPipe[2] = { -1, -1 };
    std::mutex m_mutex;
    std::condition_variable m_serviced;
    bool m_pending = false; // the watcher saw input and waits for process()
    bool m_stopping = false;
};

} // namespace cad

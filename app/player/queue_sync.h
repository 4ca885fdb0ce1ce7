#pragma once
// cad::QueueSync — keeps the play queue on the server so the user can go on elsewhere.
// Saves the queue, current song and position with savePlayQueue when the queue or song
// changes, on pause, every 30 s while playing and at quit; reads getPlayQueue at start-up
// and when back online and offers a newer queue another client saved. One request at a
// time: changes made while one is out go together in the next; a failure is retried 15 s
// later. Nothing is sent before the server's queue has been read (it could be the newer
// one), while offline, signed out, or with the store's `syncPlayQueue` off.
// UI thread only.
//
//   QueueSync sync(subsonic, store, player);
//   sync.onOffer = [](const Subsonic::PlayQueue& q) { ... "Resume from " + q.changedBy ... };
//   sync.setOnline(true);         // reads the server's queue
//   ... each frame: sync.tick();
//   ... on the user's yes: sync.accept();
//   ... at quit: sync.saveAtQuit(net);

#include "app/core/monotonic_clock.h"
#include "app/net/subsonic.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace cad {

class Net;
class PlayerCore;
class Store;

// Milliseconds since the Unix epoch of an ISO 8601 date-time ("2024-05-01T10:00:00.5Z",
// "...+02:00"); -1 when the text is not one.
int64_t isoTimeToEpochMs(const std::string& text);

class QueueSync {
public:
    static constexpr double kBeatSeconds = 30;  // saves while playing
    static constexpr double kRetrySeconds = 15; // after a failed save or read
    static constexpr double kMinGapSeconds = 2; // between two saves (skipping through songs)

    QueueSync(Subsonic& subsonic, Store& store, PlayerCore& player);
    QueueSync(const QueueSync&) = delete;
    QueueSync& operator=(const QueueSync&) = delete;

    // Seconds on a monotonic clock for the timers; milliseconds since the epoch for the
    // local queue's age. Tests replace both.
    std::function<double()> clock = monotonicSeconds;
    std::function<int64_t()> wallClock;
    // A newer queue saved by another client is waiting for accept().
    std::function<void(const Subsonic::PlayQueue& offer)> onOffer;

    // Coming online reads the server's queue (again); going offline stops the saves.
    void setOnline(bool online);
    // Per frame: notices changes, pauses and the beat, sends when due, retries a failed read.
    void tick();
    // Replaces the local queue with the offered one and seeks to its position, paused.
    // False when no offer is waiting.
    bool accept();
    void dismissOffer() { m_offer = {}; m_hasOffer = false; }
    bool hasOffer() const { return m_hasOffer; }
    // Sends the final state (after the request in flight, if any) and waits for the reply,
    // polling `net`, at most about `seconds` in all.
    void saveAtQuit(Net& net, double seconds = 2.0);

    // Whether anything needs frames: a save due or a request out (the controller keeps
    // the loop ticking for it).
    bool busy() const { return (m_dirty && enabled()) || m_inFlight; }
    bool inFlight() const { return m_inFlight; }
    bool reading() const { return m_reading; }
    int saves = 0; // savePlayQueue requests sent (tests)

private:
    bool enabled() const;
    void read();
    void onQueueRead(const Subsonic::PlayQueue& queue);
    void send();
    void followResume();
    int64_t positionMs() const;

    Subsonic& m_subsonic;
    Store& m_store;
    PlayerCore& m_player;
    bool m_online = false;
    bool m_read = false;    // the server's queue has been read since coming online
    bool m_reading = false;
    bool m_inFlight = false;
    bool m_dirty = false;
    bool m_touched = false; // changed or played since the last save
    double m_nextSend = 0;  // earliest time of the next save
    double m_nextRead = 0;  // earliest time to retry a failed read
    double m_lastSave = 0;
    int m_lastChange = 0;
    int m_lastState = 0;
    int64_t m_localChangedMs = 0; // when the local queue last changed or played
    bool m_hasOffer = false;
    Subsonic::PlayQueue m_offer;
    int m_resumeGeneration = -1; // playGeneration of an accepted queue not yet paused
    double m_resumeSeconds = 0;
    int m_epoch = 0;             // bumped by setOnline(false): older replies are dropped
    std::shared_ptr<char> m_lifetime = std::make_shared<char>();
};

} // namespace cad

#pragma once
// cad::PlayerCore — the application's player: the play queue (shuffle, repeat), the
// transport, the stream cache, the failure watch, queue.json, and scrobbling.
// A song plays from its downloaded file, else from the stream cache, else (online) from its
// stream as it is fetched into the cache: sound starts with the first bytes. When the next
// song's file is ready it follows the current one without a gap.
// UI thread only; transfers run on the Net's pools and complete on the UI thread.
//
//   PlayerCore player(net, subsonic, store, engine.music());
//   player.restoreQueue();
//   player.onMessage = [](const std::string& text) { toast("Playback problem", text, ...); };
//   player.setQueue(album.songs, 2);          // plays the third song
//   ... each frame: player.tick(seconds);
//
// Pages read queue, index, shuffle, repeat, active, fetching and changeCount directly
// and rebuild only when changeCount moved.

#include "app/core/library.h"
#include "app/core/monotonic_clock.h"
#include "app/net/transfer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vell {
class MusicPlayer;
}

namespace cad {

class Net;
class Subsonic;
class Store;
struct PendingScrobble;

enum RepeatMode : int { Off = 0, All = 1, One = 2 };

class PlayerCore {
public:
    // A one-line problem for the user ("Couldn't play \"Dawn\"").
    std::function<void(const std::string&)> onMessage;

    // Installs the music player's onFinished (the end-of-track rule).
    PlayerCore(Net& net, Subsonic& subsonic, Store& store, vell::MusicPlayer& music);
    ~PlayerCore(); // removes the music player's onFinished
    PlayerCore(const PlayerCore&) = delete;
    PlayerCore& operator=(const PlayerCore&) = delete;

    // Replaces the queue and plays position `index` (the first song under shuffle).
    // An empty list is ignored.
    void setQueue(std::vector<Song> songs, int index);
    // Plays position i, clamped to the queue: from the downloaded file, the stream
    // cache, or (online) after fetching the stream. Problems go to onMessage.
    void playIndex(int i);
    void next();     // wraps to the first song whatever the repeat mode
    void previous(); // restarts the song when more than 3 s in
    void togglePause();
    // Halts playback and forgets the position; the queue and index stay, so the next
    // togglePause plays the current song from its start.
    void stop();
    void setShuffle(bool on);
    void toggleShuffle() { setShuffle(!shuffle); }
    void cycleRepeat(); // Off -> All -> One -> Off
    void seekFraction(float f);
    void seekBy(double seconds);
    void setVolume(float v);
    void addToQueue(const Song& song);
    void playNext(const Song& song);
    void removeAt(int i);
    void clear();

    // queue.json in the data directory: written by tick() at most every 15 s after a
    // change, at once by clear(), and by the controller at shutdown.
    void saveQueue();
    // Reads queue.json back (an index outside the queue becomes -1); nothing starts
    // playing. Also removes fetch temporaries an earlier run left in the cache.
    void restoreQueue();

    // Once per frame: the failure watch, listening time and scrobbles, the 20 s flush
    // of pending plays and the 15 s queue save. Time is measured with `clock`.
    void tick(float dt);

    // The downloaded file, else a non-empty stream cache file, else "".
    std::string localPath(const Song& song) const;
    // cacheDir()/tracks/<safe id>_<streamKbps>.<mp3 | safe suffix>.
    std::string cachePath(const Song& song) const;

    // Scrobbling: one submission, appended to the store's pending list (tagged with the
    // signed-in account) and saved before flushScrobbles() sends anything, so a play is
    // delivered at least once and never ahead of older ones. Nothing at all while the
    // store's `scrobble` setting is off.
    void submitScrobble(const std::string& id, long long time);
    // Sends the oldest pending play of the signed-in account (or one recorded without
    // an account); on success, or when the server refuses that entry for good, the
    // next one, until none is left; one request at a time. A transport failure keeps it
    // for the next try.
    // Plays of other accounts wait on disk. The controller calls it at start-up and
    // when back online; tick() every 20 s.
    void flushScrobbles();

    // Read access for the pages.
    std::vector<Song> queue;      // play order (shuffled when shuffle is on)
    std::vector<Song> unshuffled; // the order to return to when shuffle goes off
    int index = -1;
    bool shuffle = false;
    int repeat = Off;
    // Set by the controller whenever the online state changes.
    bool offline = false;
    bool active = false;
    bool fetching = false;
    bool awaitingStart = false;
    int playGeneration = 0;
    int changeCount = 1;
    int savedCount = 0;
    vell::MusicPlayer& music() const { return m_music; }
    const Song* current() const; // the song at index, or null
    // The stream being fetched for the current song (progress rings), or null.
    const Transfer* streamTransfer() const { return m_streamTransfer.get(); }

    // Seconds on a monotonic clock; tests replace it to drive listening time and timers.
    std::function<double()> clock = monotonicSeconds;

    // Exposed for the scrobble rules and their tests.
    double playedSeconds = 0;
    bool scrobbled = false;
    bool nowPlayingSent = false;
    bool flushInFlight = false;
    int64_t startedAt = 0;

private:
    bool isOnline() const;
    // url + "\n" + user of the signed-in account, "" when none: pending plays carry it.
    std::string account() const;
    // Puts the song at p first and the others after it in random order; index 0.
    void shuffleAround(int p);
    // The music player's duration when known, else the current song's, else 0.
    double knownDuration() const;
    void cancelStream();
    // Hands a local file to the music player; `cacheFile` when it is the stream cache copy.
    void startFile(const Song& song, const std::string& path, bool cacheFile);
    void failCurrent(const std::string& message);
    void fetchCurrent(const Song& song);
    void prefetch();
    // Fetches the song's stream into a temporary of its own (so two transfers of one
    // song never share a file), moves it to cachePath(song) when complete and trims
    // the cache. `done` may be empty; it is dropped once this player is gone.
    std::shared_ptr<Transfer> fetchToCache(const Song& song, std::function<void(bool ok, const std::string& error)> done);
    void trackFinished();
    // The position that plays when the current song ends by itself, -1 when none does or
    // when it replays itself (repeat One).
    int followingIndex() const;
    // Hands the following song's local file to the music player to follow without a gap.
    void queueFollowing();
    // The queued file is heard: the queue moves on as at the end of a track, without a restart.
    void trackAdvanced(const std::string& path);
    // Applies the volume normalisation setting to the song being heard.
    void applyNormalisation();
    void watchStart();
    void countListening(double seconds);
    void sendPending(const PendingScrobble& entry);

    Net& m_net;
    Subsonic& m_subsonic;
    Store& m_store;
    vell::MusicPlayer& m_music;
    std::shared_ptr<Transfer> m_streamTransfer;
    std::shared_ptr<Transfer> m_prefetchTransfer;
    std::string m_prefetchId;
    std::string m_startedCacheFile; // the stream cache file handed to the music player, "" for a download
    std::string m_normalisedFor; // the file and mode the normalisation was last set for
    double m_queueTimer = 0;
    double m_flushTimer = 0;
    double m_saveTimer = 0;
    double m_lastTick = 0;
    bool m_ticked = false;
    std::mt19937 m_rng;
    // Completions hold a weak reference: a reply that outlives the player is dropped.
    std::shared_ptr<char> m_lifetime = std::make_shared<char>();
};

} // namespace cad

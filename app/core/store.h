#pragma once
#include "app/core/library.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cad {

// A song saved for offline listening and the absolute path of its file.
struct OfflineEntry {
    Song song;
    std::string file;
};

// A download that had not finished when offline.json was written: waiting (a running
// one is saved as waiting and starts again from the beginning) or failed.
struct SavedDownload {
    Song song;
    bool failed = false;
    std::string error;  // the failure's text, "" unless failed
};

// A play submission the server has not received yet.
struct PendingScrobble {
    std::string id;  // song id
    int64_t time = 0;  // milliseconds since the Unix epoch
    // url + "\n" + user of the account it was played under; empty for plays recorded
    // before accounts were kept, which go to whichever account sends first.
    std::string account;

    bool operator==(const PendingScrobble&) const = default;
};

// Everything remembered between runs apart from the play queue. Fields are accessed
// directly; whoever changes a setting that must persist calls save() itself.
//
//     store.load();               // once, before anything reads it
//     store.streamKbps = 128;
//     store.save();               // config.json, indented by 2
enum Normalisation : int32_t { NormaliseOff = 0, NormaliseTrack = 1, NormaliseAlbum = 2 };

class Store {
public:
    std::string url;
    std::string user;
    std::string salt;
    std::string token;
    bool scrobble = true;
    int32_t streamKbps = 320;  // 0 streams the file unchanged
    float volume = 0.8f;  // [0, 1]; clamped by the controller, not here
    bool dark = true;
    int32_t palette = 0;
    bool offlineForced = false;
    bool insecure = false;  // no TLS certificate verification
    int32_t uiScale = 0;  // interface size in percent (75..200); 0 picks it from the screen
    bool syncPlayQueue = true;  // keep the play queue on the server too
    // Volume normalisation from ReplayGain data: "off", "track" or "album" in config.json.
    int32_t normalisation = NormaliseTrack;
    std::vector<OfflineEntry> offline;
    int offlineCount = 0;  // bumped on every change of `offline`
    // The download list as last saved with offline.json, in queue order; cad::Downloads
    // restores its items from it and keeps it current.
    std::vector<SavedDownload> downloads;
    std::vector<PendingScrobble> pendingScrobbles;  // oldest first

    // Creates the data, offline, covers and stream-cache directories, then reads
    // config.json, offline.json and scrobbles.json. Missing or malformed files give
    // defaults; offline entries whose file is gone are dropped.
    void load();
    // Writes config.json. Returns whether the file was replaced.
    bool save() const;

    // Records a finished download: any entry with the song's id is replaced by one at the
    // end, then offline.json is written.
    void addOffline(const Song& song, const std::string& file);
    // The entry for a song id, or null.
    const OfflineEntry* offlineEntry(const std::string& id) const;
    // Writes offline.json (compact): one array, the library entries {"song", "file"}
    // first, then the saved downloads {"download": song[, "failed": true, "error"]}.
    // Older readers drop elements without a "song", so they see only the library.
    // Returns whether the file was replaced.
    bool saveOffline() const;
    // Writes scrobbles.json (compact), oldest first.
    bool saveScrobbles() const;

    // Credentials are complete when url, user and token are all set.
    bool hasCredentials() const { return !url.empty() && !user.empty() && !token.empty(); }

    // The settings as the JSON object written to config.json, and back.
    Json settingsJson() const;
    void readSettings(const Json& config);

private:
    void loadOffline();
    void loadScrobbles();
};

} // namespace cad

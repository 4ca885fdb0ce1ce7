#pragma once
// What the desktop's media controls see of the player (MPRIS2), as plain values: the
// controller's media-controls glue snapshots the player each frame, publishes the
// properties that changed and maps the bus's requests back onto the player.
//
//   MprisState now = mprisState(player, [](const Song& s) { return coverFileOf(s); });
//   for (const std::string& name : changedProperties(before, now)) ...
//
// Pure functions of their arguments: no bus, no window.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cad {

class PlayerCore;
struct Song;

struct MprisMetadata {
    std::string trackId = "/org/mpris/MediaPlayer2/TrackList/NoTrack"; // an object path
    std::string title;
    std::vector<std::string> artists;
    std::string album;
    int64_t lengthUs = 0; // 0: unknown, left out
    std::string artUrl;   // file:// URL of the cached cover, "" when none
    bool hasTrack = false;

    bool operator==(const MprisMetadata&) const = default;
};

struct MprisState {
    std::string playbackStatus = "Stopped"; // "Playing", "Paused" or "Stopped"
    std::string loopStatus = "None";        // "None", "Track" or "Playlist"
    bool shuffle = false;
    double volume = 1.0;
    int64_t positionUs = 0; // never announced: clients extrapolate it
    MprisMetadata metadata;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
};

// An object path naming the song: "/org/sonaria/track/" followed by the id with every
// byte other than an ASCII letter or digit written as "_" and two hex digits, so any id
// (empty, "../x y", UTF-8) gives a valid path and distinct ids give distinct paths.
std::string mprisTrackPath(const std::string& songId);

// "file://" + the absolute path, bytes outside the unreserved set and '/' percent-encoded.
std::string fileUrl(const std::string& path);

// The player's repeat mode as a LoopStatus (Off "None", One "Track", All "Playlist"),
// and back; false for any other name.
const char* loopStatusName(int repeat);
bool repeatFromLoopStatus(const std::string& name, int& repeat);

// The player as the bus shows it. `coverFile` gives the cached cover file of a song, ""
// when there is none.
MprisState mprisState(const PlayerCore& player, const std::function<std::string(const Song&)>& coverFile);

// Names of the Player properties that differ between the two states, in a fixed order
// (Position is never among them).
std::vector<std::string> changedProperties(const MprisState& before, const MprisState& after);

// Whether the position moved otherwise than by playing: a seek, worth a Seeked signal.
// `elapsed` is the wall time between the two readings; a same-track jump of more than
// a second ahead of or behind the clock counts.
bool positionJumped(const MprisState& before, const MprisState& after, double elapsed);

} // namespace cad

#pragma once
#include "app/core/json.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The library records the whole application passes around, and how they are read from
// the server's JSON. Plain values; strings are UTF-8.
//
// Decoding never fails: a missing or malformed member leaves the field's default.
// String fields accept numbers (numeric ids become their decimal text); integer fields
// accept numbers, numeric strings and booleans, truncated toward zero and saturated to
// the field's width; `starred` is set when the member exists, whatever its value.
namespace cad {

// Loudness data from the server's "replayGain" member: gains in dB, peaks linear (1 = full
// scale). Absent values are empty.
struct ReplayGain {
    std::optional<double> trackGain;
    std::optional<double> albumGain;
    std::optional<double> trackPeak;
    std::optional<double> albumPeak;

    bool operator==(const ReplayGain&) const = default;
};

struct Song {
    std::string id;
    std::string title;
    std::string album;
    std::string albumId;
    std::string artist;
    std::string artistId;
    std::string coverArt;  // id for getCoverArt
    std::string suffix;  // extension of the server's file, e.g. mp3 or flac
    std::string genre;
    int32_t track = 0;
    int32_t discNumber = 0;
    int32_t year = 0;
    int32_t duration = 0;  // seconds
    int32_t bitRate = 0;  // kbit/s
    int64_t size = 0;  // bytes
    bool starred = false;
    ReplayGain replayGain;

    bool operator==(const Song&) const = default;
};

struct Album {
    std::string id;
    std::string name;
    std::string artist;
    std::string artistId;
    std::string coverArt;
    std::string genre;
    int32_t songCount = 0;
    int32_t duration = 0;  // seconds
    int32_t year = 0;
    bool starred = false;

    bool operator==(const Album&) const = default;
};

struct Artist {
    std::string id;
    std::string name;
    std::string coverArt;
    int32_t albumCount = 0;
    bool starred = false;

    bool operator==(const Artist&) const = default;
};

struct Playlist {
    std::string id;
    std::string name;
    std::string owner;
    std::string coverArt;
    int32_t songCount = 0;
    int32_t duration = 0;  // seconds

    bool operator==(const Playlist&) const = default;
};

Song songFromJson(const Json& json);
// `name` falls back to `title` when it gives nothing.
Album albumFromJson(const Json& json);
Artist artistFromJson(const Json& json);
Playlist playlistFromJson(const Json& json);

// Every item of `list`, in order, through the record's decoder; nothing is filtered
// out. A missing list, or a member that is not an array, gives an empty vector.
//
//     std::vector<Song> songs = songsFromJson(resp.get("album").get("song"));
std::vector<Song> songsFromJson(const Json& list);
std::vector<Album> albumsFromJson(const Json& list);
std::vector<Artist> artistsFromJson(const Json& list);
std::vector<Playlist> playlistsFromJson(const Json& list);

// The song's form in the state files (queue.json, offline.json): every string and number
// member, and "starred": "1" only when starred. songFromJson reads it back unchanged.
Json songToJson(const Song& song);

} // namespace cad

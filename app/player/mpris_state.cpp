#include "app/player/mpris_state.h"

#include "app/core/library.h"
#include "app/player/player_core.h"
#include "vell/music_player.h"

#include <cmath>
#include <cstdlib>

namespace cad {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool asciiAlnum(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int64_t microseconds(double seconds)
{
    return seconds > 0 && std::isfinite(seconds) ? static_cast<int64_t>(std::llround(seconds * 1e6)) : 0;
}

std::string statusOf(const PlayerCore& player)
{
    switch (player.music().state()) {
    case vell::MusicState::Playing: return "Playing";
    case vell::MusicState::Paused: return "Paused";
    // Between two songs (a file opening, a stream being fetched) playback goes on.
    case vell::MusicState::Loading: return "Playing";
    default: return player.fetching ? "Playing" : "Stopped";
    }
}

} // namespace

std::string mprisTrackPath(const std::string& songId)
{
    std::string path = "/org/sonaria/track/";
    // "_" alone for the empty id: an object path element must not be empty.
    if (songId.empty())
        return path + "_";
    for (unsigned char c : songId) {
        if (asciiAlnum(c)) {
            path += char(c);
            continue;
        }
        path += '_';
        path += kHex[c >> 4];
        path += kHex[c & 15];
    }
    return path;
}

std::string fileUrl(const std::string& path)
{
    std::string url = "file://";
    for (unsigned char c : path) {
        if (asciiAlnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += char(c);
            continue;
        }
        url += '%';
        url += kHex[c >> 4];
        url += kHex[c & 15];
    }
    return url;
}

const char* loopStatusName(int repeat)
{
    switch (repeat) {
    case One: return "Track";
    case All: return "Playlist";
    default: return "None";
    }
}

bool repeatFromLoopStatus(const std::string& name, int& repeat)
{
    if (name == "None")
        repeat = Off;
    else if (name == "Track")
        repeat = One;
    else if (name == "Playlist")
        repeat = All;
    else
        return false;
    return true;
}

MprisState mprisState(const PlayerCore& player, const std::function<std::string(const Song&)>& coverFile)
{
    MprisState state;
    const vell::MusicPlayer& music = player.music();
    state.playbackStatus = statusOf(player);
    state.loopStatus = loopStatusName(player.repeat);
    state.shuffle = player.shuffle;
    state.volume = music.volume();
    const bool hasQueue = !player.queue.empty();
    state.canGoNext = state.canGoPrevious = state.canPlay = state.canPause = hasQueue;
    const Song* song = player.current();
    if (!song)
        return state;
    MprisMetadata& meta = state.metadata;
    meta.hasTrack = true;
    meta.trackId = mprisTrackPath(song->id);
    meta.title = song->title;
    if (!song->artist.empty())
        meta.artists = { song->artist };
    meta.album = song->album;
    const double duration = player.active && music.duration() > 0 ? music.duration() : song->duration;
    meta.lengthUs = microseconds(duration);
    if (coverFile) {
        if (const std::string file = coverFile(*song); !file.empty())
            meta.artUrl = fileUrl(file);
    }
    state.positionUs = player.active ? microseconds(music.position()) : 0;
    state.canSeek = player.active && meta.lengthUs > 0;
    return state;
}

std::vector<std::string> changedProperties(const MprisState& before, const MprisState& after)
{
    std::vector<std::string> names;
    auto note = [&names](bool differs, const char* name) {
        if (differs)
            names.emplace_back(name);
    };
    note(before.playbackStatus != after.playbackStatus, "PlaybackStatus");
    note(before.loopStatus != after.loopStatus, "LoopStatus");
    note(before.shuffle != after.shuffle, "Shuffle");
    note(before.volume != after.volume, "Volume");
    note(before.metadata != after.metadata, "Metadata");
    note(before.canGoNext != after.canGoNext, "CanGoNext");
    note(before.canGoPrevious != after.canGoPrevious, "CanGoPrevious");
    note(before.canPlay != after.canPlay, "CanPlay");
    note(before.canPause != after.canPause, "CanPause");
    note(before.canSeek != after.canSeek, "CanSeek");
    return names;
}

bool positionJumped(const MprisState& before, const MprisState& after, double elapsed)
{
    if (before.metadata.trackId != after.metadata.trackId || !after.metadata.hasTrack)
        return false;
    const double advance = before.playbackStatus == "Playing" ? elapsed : 0.0;
    const double expected = double(before.positionUs) / 1e6 + advance;
    return std::abs(double(after.positionUs) / 1e6 - expected) > 1.0;
}

} // namespace cad

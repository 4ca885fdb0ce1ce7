#include "app/core/library.h"

#include <cmath>
#include <utility>

namespace cad {

namespace {

std::string textOf(const Json& json, const char* key)
{
    return json.get(key).asString("");
}

int32_t int32Of(const Json& json, const char* key)
{
    return truncateToInt32(json.get(key).asNumber(0));
}

std::optional<double> numberOf(const Json& json, const char* key)
{
    const Json& value = json.get(key);
    if (value.kind != Json::Number || !std::isfinite(value.number))
        return std::nullopt;
    return value.number;
}

template <typename Record>
std::vector<Record> decodeList(const Json& list, Record (*decode)(const Json&))
{
    // Some servers send a list of one as the lone element itself; an object's member values
    // are never records. An empty object stands for an empty list.
    if (list.isObject())
        return list.items.empty() ? std::vector<Record>{} : std::vector<Record>{ decode(list) };
    if (!list.isArray())
        return {};
    std::vector<Record> records;
    records.reserve(list.items.size());
    for (const Json& item : list.items)
        records.push_back(decode(item));
    return records;
}

} // namespace

Song songFromJson(const Json& json)
{
    Song song;
    song.id = textOf(json, "id");
    song.title = textOf(json, "title");
    song.album = textOf(json, "album");
    song.albumId = textOf(json, "albumId");
    song.artist = textOf(json, "artist");
    song.artistId = textOf(json, "artistId");
    song.coverArt = textOf(json, "coverArt");
    song.suffix = textOf(json, "suffix");
    song.genre = textOf(json, "genre");
    song.track = int32Of(json, "track");
    song.discNumber = int32Of(json, "discNumber");
    song.year = int32Of(json, "year");
    song.duration = int32Of(json, "duration");
    song.bitRate = int32Of(json, "bitRate");
    song.size = truncateToInt64(json.get("size").asNumber(0));
    song.starred = json.has("starred");
    const Json& gain = json.get("replayGain");
    song.replayGain = {numberOf(gain, "trackGain"), numberOf(gain, "albumGain"), numberOf(gain, "trackPeak"),
                       numberOf(gain, "albumPeak")};
    return song;
}

Album albumFromJson(const Json& json)
{
    Album album;
    album.id = textOf(json, "id");
    album.name = textOf(json, "name");
    if (album.name.empty())
        album.name = textOf(json, "title");
    album.artist = textOf(json, "artist");
    album.artistId = textOf(json, "artistId");
    album.coverArt = textOf(json, "coverArt");
    album.genre = textOf(json, "genre");
    album.songCount = int32Of(json, "songCount");
    album.duration = int32Of(json, "duration");
    album.year = int32Of(json, "year");
    album.starred = json.has("starred");
    return album;
}

Artist artistFromJson(const Json& json)
{
    Artist artist;
    artist.id = textOf(json, "id");
    artist.name = textOf(json, "name");
    artist.coverArt = textOf(json, "coverArt");
    artist.albumCount = int32Of(json, "albumCount");
    artist.starred = json.has("starred");
    return artist;
}

Playlist playlistFromJson(const Json& json)
{
    Playlist playlist;
    playlist.id = textOf(json, "id");
    playlist.name = textOf(json, "name");
    playlist.owner = textOf(json, "owner");
    playlist.coverArt = textOf(json, "coverArt");
    playlist.songCount = int32Of(json, "songCount");
    playlist.duration = int32Of(json, "duration");
    return playlist;
}

std::vector<Song> songsFromJson(const Json& list)
{
    return decodeList(list, songFromJson);
}

std::vector<Album> albumsFromJson(const Json& list)
{
    return decodeList(list, albumFromJson);
}

std::vector<Artist> artistsFromJson(const Json& list)
{
    return decodeList(list, artistFromJson);
}

std::vector<Playlist> playlistsFromJson(const Json& list)
{
    return decodeList(list, playlistFromJson);
}

Json songToJson(const Song& song)
{
    Json json = Json::object();
    json.set("id", song.id)
        .set("title", song.title)
        .set("album", song.album)
        .set("albumId", song.albumId)
        .set("artist", song.artist)
        .set("artistId", song.artistId)
        .set("coverArt", song.coverArt)
        .set("suffix", song.suffix)
        .set("genre", song.genre)
        .set("track", song.track)
        .set("discNumber", song.discNumber)
        .set("year", song.year)
        .set("duration", song.duration)
        .set("bitRate", song.bitRate)
        .set("size", static_cast<double>(song.size));
    if (song.starred)
        json.set("starred", "1");
    const ReplayGain& rg = song.replayGain;
    if (rg != ReplayGain{}) {
        Json gain = Json::object();
        const std::pair<const char*, const std::optional<double>*> members[] = {
            {"trackGain", &rg.trackGain}, {"albumGain", &rg.albumGain}, {"trackPeak", &rg.trackPeak}, {"albumPeak", &rg.albumPeak}};
        for (const auto& [key, value] : members) {
            if (*value)
                gain.set(key, **value);
        }
        json.set("replayGain", std::move(gain));
    }
    return json;
}

} // namespace cad

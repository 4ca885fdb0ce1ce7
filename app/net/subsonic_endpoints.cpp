#include "app/net/subsonic.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <type_traits>

// The library endpoints: each is one request with fixed parameters and a decoder of its
// reply. On failure the decoders are skipped and the caller gets default values.
namespace cad {

namespace {

// Calls `done` with the decoded values on success, defaults on failure; an empty
// callback is simply not called.
// `decode` returns the values as a tuple; a default-constructed tuple stands in on failure.
template <class Done, class Decode>
Subsonic::ReplyCallback decoded(Done done, Decode decode)
{
    return [done = std::move(done), decode](bool ok, const Json& response, const std::string& error) {
        if (!done)
            return;
        using Values = std::invoke_result_t<Decode, const Json&>;
        const Values values = ok ? decode(response) : Values{};
        std::apply([&](const auto&... value) { done(ok, value..., ok ? std::string() : error); }, values);
    };
}

Subsonic::ReplyCallback flagOnly(Subsonic::FlagCallback done)
{
    return [done = std::move(done)](bool ok, const Json&, const std::string&) {
        if (done)
            done(ok);
    };
}

// The artists of every alphabetical index group, in order.
std::vector<Artist> flattenIndexes(const Json& indexes)
{
    std::vector<Artist> artists;
    for (const Json& group : indexes.items) {
        std::vector<Artist> members = artistsFromJson(group.get("artist"));
        artists.insert(artists.end(), members.begin(), members.end());
    }
    return artists;
}

Subsonic::SearchResult searchResultFromJson(const Json& result)
{
    return {artistsFromJson(result.get("artist")), albumsFromJson(result.get("album")),
            songsFromJson(result.get("song"))};
}

} // namespace

void Subsonic::albumList(const std::string& type, int size, int offset, Callback<std::vector<Album>> done)
{
    request("getAlbumList2", {{"type", type}, {"size", std::to_string(size)}, {"offset", std::to_string(offset)}},
            decoded(std::move(done), [](const Json& response) {
                return std::tuple(albumsFromJson(response.get("albumList2").get("album")));
            }));
}

void Subsonic::album(const std::string& id, Callback<Album, std::vector<Song>> done)
{
    request("getAlbum", {{"id", id}}, decoded(std::move(done), [](const Json& response) {
        const Json& album = response.get("album");
        return std::tuple(albumFromJson(album), songsFromJson(album.get("song")));
    }));
}

void Subsonic::artists(Callback<std::vector<Artist>> done)
{
    request("getArtists", {}, decoded(std::move(done), [](const Json& response) {
        return std::tuple(flattenIndexes(response.get("artists").get("index")));
    }));
}

void Subsonic::artist(const std::string& id, Callback<Artist, std::vector<Album>> done)
{
    request("getArtist", {{"id", id}}, decoded(std::move(done), [](const Json& response) {
        const Json& artist = response.get("artist");
        return std::tuple(artistFromJson(artist), albumsFromJson(artist.get("album")));
    }));
}

void Subsonic::search(const std::string& query, Callback<SearchResult> done)
{
    request("search3", {{"query", query}, {"artistCount", "8"}, {"albumCount", "12"}, {"songCount", "30"}},
            decoded(std::move(done), [](const Json& response) {
                return std::tuple(searchResultFromJson(response.get("searchResult3")));
            }));
}

void Subsonic::playlists(Callback<std::vector<Playlist>> done)
{
    request("getPlaylists", {}, decoded(std::move(done), [](const Json& response) {
        return std::tuple(playlistsFromJson(response.get("playlists").get("playlist")));
    }));
}

void Subsonic::playlist(const std::string& id, Callback<Playlist, std::vector<Song>> done)
{
    request("getPlaylist", {{"id", id}}, decoded(std::move(done), [](const Json& response) {
        const Json& playlist = response.get("playlist");
        return std::tuple(playlistFromJson(playlist), songsFromJson(playlist.get("entry")));
    }));
}

void Subsonic::starred(Callback<SearchResult> done)
{
    request("getStarred2", {}, decoded(std::move(done), [](const Json& response) {
        return std::tuple(searchResultFromJson(response.get("starred2")));
    }));
}

void Subsonic::randomSongs(int size, Callback<std::vector<Song>> done)
{
    request("getRandomSongs", {{"size", std::to_string(size)}},
            decoded(std::move(done), [](const Json& response) {
                return std::tuple(songsFromJson(response.get("randomSongs").get("song")));
            }));
}

void Subsonic::setStarred(const std::string& id, bool starred, FlagCallback done)
{
    request(starred ? "star" : "unstar", {{"id", id}}, flagOnly(std::move(done)));
}

void Subsonic::scrobble(const std::string& id, int64_t time, bool submission, FlagCallback done)
{
    Params params = {{"id", id}, {"submission", submission ? "true" : "false"}};
    if (time > 0)
        params.emplace_back("time", std::to_string(time));
    request("scrobble", params, flagOnly(std::move(done)));
}

void Subsonic::openSubsonicExtensions(Callback<std::vector<std::string>> done)
{
    request("getOpenSubsonicExtensions", {}, decoded(std::move(done), [](const Json& response) {
        std::vector<std::string> names;
        for (const Json& extension : response.get("openSubsonicExtensions").items)
            names.push_back(extension.get("name").asString(""));
        return std::tuple(names);
    }));
}

void Subsonic::lyricsBySongId(const std::string& id, Callback<std::vector<Lyrics>> done)
{
    request("getLyricsBySongId", {{"id", id}}, decoded(std::move(done), [](const Json& response) {
        return std::tuple(structuredLyricsFromJson(response.get("lyricsList")));
    }));
}

void Subsonic::lyrics(const std::string& artist, const std::string& title, Callback<std::vector<Lyrics>> done)
{
    request("getLyrics", {{"artist", artist}, {"title", title}}, decoded(std::move(done), [](const Json& response) {
        return std::tuple(plainLyricsFromJson(response.get("lyrics")));
    }));
}

void Subsonic::savePlayQueue(const std::vector<std::string>& ids, const std::string& current, int64_t positionMs,
    StatusCallback done)
{
    Params params;
    for (const std::string& id : ids)
        params.emplace_back("id", id);
    if (!current.empty())
        params.emplace_back("current", current);
    params.emplace_back("position", std::to_string(std::max<int64_t>(0, positionMs)));
    request("savePlayQueue", params, [done = std::move(done)](bool ok, const Json&, const std::string& error) {
        if (done)
            done(ok, error);
    });
}

void Subsonic::playQueue(Callback<PlayQueue> done)
{
    request("getPlayQueue", {}, decoded(std::move(done), [](const Json& response) {
        const Json& queue = response.get("playQueue");
        PlayQueue result;
        result.songs = songsFromJson(queue.get("entry"));
        result.current = queue.get("current").asString("");
        result.positionMs = truncateToInt64(queue.get("position").asNumber(0));
        result.changed = queue.get("changed").asString("");
        result.changedBy = queue.get("changedBy").asString("");
        return std::tuple(result);
    }));
}

std::string Subsonic::streamUrl(const Song& song, int maxKbps) const
{
    Params params = {{"id", song.id}};
    if (maxKbps > 0) {
        params.emplace_back("maxBitRate", std::to_string(maxKbps));
        params.emplace_back("format", "mp3");
    }
    return buildUrl("stream", params);
}

std::string Subsonic::downloadUrl(const Song& song) const
{
    return buildUrl("download", {{"id", song.id}});
}

std::string Subsonic::coverUrl(const std::string& coverId, int size) const
{
    return buildUrl("getCoverArt", {{"id", coverId}, {"size", std::to_string(size)}});
}

} // namespace cad

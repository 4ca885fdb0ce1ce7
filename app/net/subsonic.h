#pragma once
#include "app/core/json.h"
#include "app/core/library.h"
#include "app/net/credentials.h"
#include "app/net/lyrics.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace cad {

class Net;

// Client of a Subsonic (Navidrome) server. Builds signed REST URLs, sends them through
// Net::get and judges the reply envelope; every endpoint method decodes its reply into
// library records. Methods return at once and call back exactly once on the UI thread
// (when Net::poll runs), unless the Net shuts down first. Callbacks may be empty.
//
//   Subsonic client(net);
//   client.configure({"https://host/music", "alice", salt, makeToken(password, salt)});
//   client.album("42", [](bool ok, const Album& album, const std::vector<Song>& songs,
//                         const std::string& error) { ... });
//
// On failure ok is false, the records are default-constructed, the lists are empty and
// error says why: the server's own message, "Request failed", "Invalid server response",
// libcurl's text or "HTTP " and the status code.
class Subsonic {
public:
    using Params = std::vector<std::pair<std::string, std::string>>;
    using ReplyCallback = std::function<void(bool ok, const Json& response, const std::string& error)>;
    using StatusCallback = std::function<void(bool ok, const std::string& error)>;
    using FlagCallback = std::function<void(bool ok)>;

    struct SearchResult {
        std::vector<Artist> artists;
        std::vector<Album> albums;
        std::vector<Song> songs;
    };

    // The queue a client saved on the server (getPlayQueue).
    struct PlayQueue {
        std::vector<Song> songs;
        std::string current;    // id of the current song; may be empty
        int64_t positionMs = 0; // in the current song
        std::string changed;    // when it was saved, ISO 8601 ("2024-05-01T10:00:00.5Z")
        std::string changedBy;  // the client name ("c") of the save
    };

    // The client name sent with every request (the "c" parameter).
    static constexpr const char* kClientName = "Sonaria";

    template <class... Values>
    using Callback = std::function<void(bool ok, const Values&..., const std::string& error)>;

    explicit Subsonic(Net& net);

    // Replaces the credentials; trailing "/" characters of the url are all removed.
    // Requests already queued keep the URLs they were built with.
    void configure(Credentials credentials);
    const std::string& url() const { return m_url; }
    const std::string& user() const { return m_user; }
    const std::string& salt() const { return m_salt; }
    const std::string& token() const { return m_token; }

    // url + "/rest/" + endpoint + "?u=<user>&t=<token>&s=<salt>&v=1.16.1&c=Sonaria&f=json"
    // followed by "&name=value" per parameter in order; user and values percent-encoded.
    std::string buildUrl(const std::string& endpoint, const Params& params) const;

    // GETs the endpoint (25 s timeout) and calls back with the "subsonic-response" object.
    // ok is true exactly when the envelope's status is "ok".
    void request(const std::string& endpoint, const Params& params, ReplyCallback done);

    // ---- endpoints
    void ping(StatusCallback done);
    // getAlbumList2; `type` is a Subsonic list type such as "newest" or "alphabeticalByName".
    void albumList(const std::string& type, int size, int offset, Callback<std::vector<Album>> done);
    void album(const std::string& id, Callback<Album, std::vector<Song>> done);
    // Every artist of every index group, flattened in order.
    void artists(Callback<std::vector<Artist>> done);
    void artist(const std::string& id, Callback<Artist, std::vector<Album>> done);
    // search3 with up to 8 artists, 12 albums and 30 songs.
    void search(const std::string& query, Callback<SearchResult> done);
    void playlists(Callback<std::vector<Playlist>> done);
    void playlist(const std::string& id, Callback<Playlist, std::vector<Song>> done);
    // The favourites (getStarred2).
    void starred(Callback<SearchResult> done);
    void randomSongs(int size, Callback<std::vector<Song>> done);
    // star or unstar.
    void setStarred(const std::string& id, bool starred, FlagCallback done);
    // `time` in milliseconds since the epoch; 0 or less leaves it to the server.
    void scrobble(const std::string& id, int64_t time, bool submission, FlagCallback done);

    // getOpenSubsonicExtensions: the names the server announces ("songLyrics", ...).
    // Servers without OpenSubsonic fail it; callers take that as none.
    void openSubsonicExtensions(Callback<std::vector<std::string>> done);
    // getLyricsBySongId (OpenSubsonic): every structured entry; none is not a failure.
    void lyricsBySongId(const std::string& id, Callback<std::vector<Lyrics>> done);
    // getLyrics by artist and title: at most one unsynced entry.
    void lyrics(const std::string& artist, const std::string& title, Callback<std::vector<Lyrics>> done);
    // savePlayQueue: one "id" per song in order, then "current" (when not empty) and
    // "position" in ms. An empty list clears the server's queue.
    void savePlayQueue(const std::vector<std::string>& ids, const std::string& current, int64_t positionMs,
        StatusCallback done);
    // getPlayQueue; a server holding none answers an empty queue.
    void playQueue(Callback<PlayQueue> done);

    // ---- URLs fetched as files (Net::download), signed like every request
    // A limit of 0 or less streams the original file; otherwise transcodes to mp3 at that rate.
    std::string streamUrl(const Song& song, int maxKbps) const;
    std::string downloadUrl(const Song& song) const;
    std::string coverUrl(const std::string& coverId, int size) const;

private:
    Net& m_net;
    std::string m_url;
    std::string m_user;
    std::string m_salt;
    std::string m_token;
};

} // namespace cad

"""Subsonic endpoints of the test server: the library state and the replies, shaped like Navidrome's.

Each endpoint function takes (library, params) and returns either a dict merged into the
"subsonic-response" envelope or a Reply (binary endpoints). Failures raise ApiError, which the
server turns into a "failed" envelope.
"""
import datetime
import os
import random
import threading

import catalogue
import make_media

API_VERSION = "1.16.1"
LAME_BITRATES = [32, 48, 64, 96, 128, 160, 192, 256, 320]


class ApiError(Exception):
    def __init__(self, code, message):
        super().__init__(message)
        self.code = code
        self.message = message


class Reply:
    """A non-envelope reply: status, content type, body bytes and extra headers."""

    def __init__(self, status, content_type, body, headers=None, chunked=False):
        self.status = status
        self.content_type = content_type
        self.body = body
        self.headers = headers or []
        self.chunked = chunked


class Params:
    """Query parameters in the order sent, with the lookups the endpoints need."""

    def __init__(self, pairs):
        self.pairs = pairs

    def all(self, name):
        return [v for k, v in self.pairs if k == name]

    def get(self, name, default=None):
        values = self.all(name)
        return values[0] if values else default

    def required(self, name):
        value = self.get(name)
        if value is None:
            raise ApiError(10, "Required parameter is missing: %s" % name)
        return value

    def integer(self, name, default, low=None, high=None):
        text = self.get(name)
        if text is None or text == "":
            return default
        try:
            value = int(text)
        except ValueError:
            raise ApiError(0, "Invalid value for parameter %s: %s" % (name, text))
        if low is not None:
            value = max(low, value)
        if high is not None:
            value = min(high, value)
        return value


def envelope(payload=None, error=None):
    body = {"status": "failed" if error else "ok", "version": API_VERSION, "type": "navidrome",
            "serverVersion": "0.53.3 (sonaria-test)", "openSubsonic": True}
    if error:
        body["error"] = {"code": error[0], "message": error[1]}
    body.update(payload or {})
    return {"subsonic-response": body}


def now_iso():
    return datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%S.%fZ")[:-4] + "Z"


class Library:
    """The catalogue plus what clients change: favourites and plays. Thread-safe."""

    def __init__(self, media_dir, initial_stars=None):
        self.media_dir = media_dir
        self.index = make_media.load_index(media_dir)
        self.initial_stars = dict(catalogue.INITIAL_STARS if initial_stars is None else initial_stars)
        self.lock = threading.Lock()
        self.reset()

    def reset(self):
        with self.lock:
            self.stars = dict(self.initial_stars)
            self.scrobbles = []
            self.plays = dict(catalogue.INITIAL_PLAYS)  # song id -> (count, last played date)
            self.play_queue = None  # the last savePlayQueue: ids, current, position, changed, changedBy
            self.queue_saves = []  # every savePlayQueue, oldest first, with the client name that sent it

    # --- state changes -------------------------------------------------------------------------
    def set_starred(self, ids, starred):
        with self.lock:
            for item in ids:
                if starred:
                    self.stars.setdefault(item, now_iso())
                else:
                    self.stars.pop(item, None)

    def add_scrobbles(self, entries):
        with self.lock:
            for song_id, time_ms, submission in entries:
                self.scrobbles.append({"id": song_id, "time": time_ms, "submission": submission})
                if submission:
                    count, _ = self.plays.get(song_id, (0, None))
                    self.plays[song_id] = (count + 1, now_iso())

    def save_play_queue(self, ids, current, position, client):
        with self.lock:
            self.play_queue = {"ids": ids, "current": current, "position": position, "changed": now_iso(),
                               "changedBy": client}
            self.queue_saves.append(dict(self.play_queue))

    def snapshot(self):
        with self.lock:
            return {"starred": sorted(self.stars), "scrobbles": list(self.scrobbles),
                    "playQueueSaves": list(self.queue_saves)}

    # --- JSON shapes ---------------------------------------------------------------------------
    def song_seconds(self, song):
        return self.index[catalogue.media_id(song)]["seconds"]

    def song_bitrate(self, song):
        if song["suffix"] != "flac":
            return catalogue.LOSSY_BITRATE
        entry = self.index[catalogue.media_id(song)]
        return int(entry["size"] * 8 / entry["seconds"] / 1000)

    def song_json(self, song):
        album = catalogue.album(song["albumId"])
        artist = catalogue.artist(album["artistId"])
        seconds = self.song_seconds(song)
        item = {
            "id": int(song["id"]) if song["id"].isdigit() else song["id"],
            "parent": album["id"], "isDir": False, "title": song["title"], "album": album["name"],
            "artist": artist["name"], "track": song["track"], "year": album["year"],
            "genre": album["genre"], "coverArt": album["id"], "size": self.index[catalogue.media_id(song)]["size"],
            "contentType": catalogue.CONTENT_TYPES[song["suffix"]], "suffix": song["suffix"],
            "duration": int(seconds), "bitRate": self.song_bitrate(song),
            "path": "%s/%s/%02d - %s.%s" % (artist["name"], album["name"], song["track"], song["title"],
                                            song["suffix"]),
            "discNumber": 1, "created": album["created"], "albumId": album["id"],
            "artistId": artist["id"], "type": "music", "isVideo": False,
        }
        if album["id"] == "al-4":  # this album's numbers arrive as strings
            item["track"] = str(song["track"])
            item["year"] = str(album["year"])
        if song["id"] == "tr-6":  # and this length has a fraction
            item["duration"] = seconds
        self._add_usage(item, song["id"], [song["id"]])
        return item

    def album_json(self, album):
        artist = catalogue.artist(album["artistId"])
        songs = catalogue.songs_of(album["id"])
        item = {
            "id": album["id"], "name": album["name"], "artist": artist["name"], "artistId": artist["id"],
            "coverArt": album["id"], "songCount": len(songs),
            "duration": int(sum(self.song_seconds(s) for s in songs)), "created": album["created"],
            "year": album["year"], "genre": album["genre"],
        }
        if album["id"] == "al-4":
            item["year"] = str(album["year"])
            item["songCount"] = str(len(songs))
        self._add_usage(item, album["id"], [s["id"] for s in songs])
        return item

    def artist_json(self, artist):
        item = {"id": artist["id"], "name": artist["name"], "coverArt": artist["id"],
                "albumCount": len(catalogue.albums_of(artist["id"]))}
        with self.lock:
            if artist["id"] in self.stars:
                item["starred"] = self.stars[artist["id"]]
        return item

    def playlist_json(self, playlist):
        songs = [catalogue.song(s) for s in playlist["songs"]]
        return {"id": playlist["id"], "name": playlist["name"], "comment": playlist["comment"],
                "owner": playlist["owner"], "public": True, "songCount": len(songs),
                "duration": int(sum(self.song_seconds(s) for s in songs)), "created": playlist["created"],
                "changed": playlist["created"], "coverArt": playlist["id"]}

    def _add_usage(self, item, item_id, song_ids):
        with self.lock:
            counts = [self.plays[s] for s in song_ids if s in self.plays]
            item["playCount"] = sum(c for c, _ in counts)
            if counts:
                item["played"] = max(d for _, d in counts)
            if item_id in self.stars:
                item["starred"] = self.stars[item_id]

    def starred_ids(self):
        with self.lock:
            return set(self.stars)

    def last_played(self, song_ids):
        with self.lock:
            return max((self.plays[s][1] for s in song_ids if s in self.plays), default="")


# --- endpoints -----------------------------------------------------------------------------------

def ping(lib, params):
    return {}


def album_list_order(lib, list_type, params):
    albums = list(catalogue.ALBUMS)
    songs_of = lambda a: [s["id"] for s in catalogue.songs_of(a["id"])]  # noqa: E731
    if list_type == "random":
        random.shuffle(albums)
    elif list_type == "newest":
        albums.sort(key=lambda a: a["created"], reverse=True)
    elif list_type in ("frequent", "recent"):
        played = [a for a in albums if lib.last_played(songs_of(a))]
        if list_type == "recent":
            return sorted(played, key=lambda a: lib.last_played(songs_of(a)), reverse=True)
        return sorted(played, key=lambda a: lib.album_json(a)["playCount"], reverse=True)
    elif list_type == "alphabeticalByName":
        albums.sort(key=lambda a: a["name"].casefold())
    elif list_type == "alphabeticalByArtist":
        albums.sort(key=lambda a: (catalogue.artist(a["artistId"])["name"].casefold(), a["name"].casefold()))
    elif list_type == "starred":
        starred = lib.starred_ids()
        albums = [a for a in albums if a["id"] in starred]
    elif list_type == "byYear":
        low = params.integer("fromYear", None)
        high = params.integer("toYear", None)
        if low is None or high is None:
            raise ApiError(10, "Required parameter is missing: fromYear, toYear")
        albums = [a for a in albums if min(low, high) <= a["year"] <= max(low, high)]
        albums.sort(key=lambda a: a["year"], reverse=low > high)
    elif list_type == "byGenre":
        genre = params.required("genre")
        albums = [a for a in albums if a["genre"].casefold() == genre.casefold()]
    elif list_type != "highest":  # no ratings here: "highest" keeps catalogue order
        raise ApiError(0, "type '%s' not implemented" % list_type)
    return albums


def get_album_list2(lib, params):
    albums = album_list_order(lib, params.required("type"), params)
    size = params.integer("size", 10, 0, 500)
    offset = params.integer("offset", 0, 0)
    page = albums[offset:offset + size]
    # An empty page comes back as an empty object, without the "album" member.
    return {"albumList2": {"album": [lib.album_json(a) for a in page]} if page else {}}


def find(kind, lookup, item_id):
    item = lookup(item_id)
    if item is None:
        raise ApiError(70, "%s not found" % kind)
    return item


def get_album(lib, params):
    album = find("Album", catalogue.album, params.required("id"))
    item = lib.album_json(album)
    item["song"] = [lib.song_json(s) for s in catalogue.songs_of(album["id"])]
    return {"album": item}


def index_letter(name):
    words = name.split(" ", 1)
    if len(words) == 2 and words[0] in catalogue.IGNORED_ARTICLES.split():
        name = words[1]
    return name[:1].upper()


def get_artists(lib, params):
    groups = {}
    for artist in sorted(catalogue.ARTISTS, key=lambda a: index_letter(a["name"]) + a["name"]):
        groups.setdefault(index_letter(artist["name"]), []).append(lib.artist_json(artist))
    return {"artists": {"ignoredArticles": catalogue.IGNORED_ARTICLES, "lastModified": 1717200000000,
                        "index": [{"name": k, "artist": v} for k, v in groups.items()]}}


def get_artist(lib, params):
    artist = find("Artist", catalogue.artist, params.required("id"))
    item = lib.artist_json(artist)
    item["album"] = [lib.album_json(a) for a in catalogue.albums_of(artist["id"])]
    return {"artist": item}


def matches(terms, text):
    text = text.casefold()
    return all(term in text for term in terms)


def search3(lib, params):
    query = params.required("query").strip().strip('"')
    terms = query.casefold().split()

    def page(items, kind):
        count = params.integer(kind + "Count", 20, 0, 500)
        offset = params.integer(kind + "Offset", 0, 0)
        return items[offset:offset + count]

    artists = [a for a in catalogue.ARTISTS if matches(terms, a["name"])]
    albums = [a for a in catalogue.ALBUMS
              if matches(terms, a["name"] + " " + catalogue.artist(a["artistId"])["name"])]
    songs = [s for s in catalogue.SONGS if matches(terms, " ".join(
        [s["title"], catalogue.album(s["albumId"])["name"],
         catalogue.artist(catalogue.album(s["albumId"])["artistId"])["name"]]))]
    result = {}
    for key, items, shape in (("artist", page(artists, "artist"), lib.artist_json),
                              ("album", page(albums, "album"), lib.album_json),
                              ("song", page(songs, "song"), lib.song_json)):
        if items:  # empty groups are left out
            result[key] = [shape(x) for x in items]
    return {"searchResult3": result}


def get_playlists(lib, params):
    return {"playlists": {"playlist": [lib.playlist_json(p) for p in catalogue.PLAYLISTS]}}


def get_playlist(lib, params):
    playlist = find("Playlist", catalogue.playlist, params.required("id"))
    item = lib.playlist_json(playlist)
    item["entry"] = [lib.song_json(catalogue.song(s)) for s in playlist["songs"]]
    return {"playlist": item}


def get_starred2(lib, params):
    starred = lib.starred_ids()
    # Unlike the search reply, empty groups are sent as empty arrays here.
    return {"starred2": {
        "artist": [lib.artist_json(a) for a in catalogue.ARTISTS if a["id"] in starred],
        "album": [lib.album_json(a) for a in catalogue.ALBUMS if a["id"] in starred],
        "song": [lib.song_json(s) for s in catalogue.SONGS if s["id"] in starred]}}


def get_random_songs(lib, params):
    size = params.integer("size", 10, 0, 500)
    genre = params.get("genre")
    low = params.integer("fromYear", 0)
    high = params.integer("toYear", 9999)
    songs = [s for s in catalogue.SONGS
             if (not genre or catalogue.album(s["albumId"])["genre"].casefold() == genre.casefold())
             and low <= catalogue.album(s["albumId"])["year"] <= high]
    random.shuffle(songs)
    return {"randomSongs": {"song": [lib.song_json(s) for s in songs[:size]]}}


def known_id(item_id):
    return any(lookup(item_id) for lookup in (catalogue.song, catalogue.album, catalogue.artist))


def star_ids(params):
    ids = params.all("id") + params.all("albumId") + params.all("artistId")
    if not ids:
        raise ApiError(10, "Required parameter is missing: id")
    for item in ids:
        if not known_id(item):
            raise ApiError(70, "Data not found: %s" % item)
    return ids


def star(lib, params):
    lib.set_starred(star_ids(params), True)
    return {}


def unstar(lib, params):
    lib.set_starred(star_ids(params), False)
    return {}


def scrobble(lib, params):
    ids = params.all("id")
    if not ids:
        raise ApiError(10, "Required parameter is missing: id")
    times = params.all("time")
    submission = params.get("submission", "true").lower() != "false"
    entries = []
    for position, song_id in enumerate(ids):
        find("Song", catalogue.song, song_id)
        try:
            time_ms = int(times[position]) if position < len(times) else 0
        except ValueError:
            raise ApiError(0, "Invalid value for parameter time: %s" % times[position])
        entries.append((song_id, time_ms, submission))
    lib.add_scrobbles(entries)
    return {}


def get_open_subsonic_extensions(lib, params):
    return {"openSubsonicExtensions": [{"name": "songLyrics", "versions": [1]},
                                       {"name": "formPost", "versions": [1]}]}


def get_lyrics_by_song_id(lib, params):
    song = find("Song", catalogue.song, params.required("id"))
    album = catalogue.album(song["albumId"])
    entries = [dict(entry, displayArtist=catalogue.artist(album["artistId"])["name"], displayTitle=song["title"])
               for entry in catalogue.LYRICS.get(song["id"], [])]
    return {"lyricsList": {"structuredLyrics": entries}}


def get_lyrics(lib, params):
    artist, title = params.get("artist", ""), params.get("title", "")
    for song in catalogue.SONGS:
        album = catalogue.album(song["albumId"])
        if song["title"] == title and catalogue.artist(album["artistId"])["name"] == artist \
                and song["id"] in catalogue.LYRICS:
            lines = catalogue.LYRICS[song["id"]][0]["line"]
            return {"lyrics": {"artist": artist, "title": title, "value": "\n".join(l["value"] for l in lines)}}
    return {"lyrics": {"artist": artist, "title": title}}


def save_play_queue(lib, params):
    ids = params.all("id")
    for song_id in ids:
        find("Song", catalogue.song, song_id)
    current = params.get("current", "")
    if current and current not in ids:
        raise ApiError(0, "current is not in the queue: %s" % current)
    position = params.integer("position", 0, 0)
    lib.save_play_queue(ids, current, position, params.get("c", ""))
    return {}


def get_play_queue(lib, params):
    with lib.lock:
        saved = lib.play_queue
    if not saved or not saved["ids"]:
        return {}
    queue = {"entry": [lib.song_json(catalogue.song(i)) for i in saved["ids"]], "position": saved["position"],
             "username": params.get("u"), "changed": saved["changed"], "changedBy": saved["changedBy"]}
    if saved["current"]:
        queue["current"] = saved["current"]
    return {"playQueue": queue}


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def transcode_bitrate(suffix, song_bitrate, params):
    """The mp3 bit rate to transcode to, or None to send the file as it is."""
    fmt = params.get("format", "")
    limit = params.integer("maxBitRate", 0, 0)
    if fmt == "raw":
        return None
    if not ((fmt and fmt != suffix) or 0 < limit < song_bitrate):
        return None
    if limit <= 0:
        return catalogue.TRANSCODE_BITRATE
    return max([b for b in LAME_BITRATES if b <= limit] or [LAME_BITRATES[0]])


def stream(lib, params):
    song = find("Song", catalogue.song, params.required("id"))
    bitrate = transcode_bitrate(song["suffix"], lib.song_bitrate(song), params)
    if bitrate is None:
        return file_reply(lib, song, [])
    # Like a real transcoder the length is not known in advance: no Content-Length, no ranges.
    data = read_bytes(make_media.transcoded(lib.media_dir, song, bitrate))
    return Reply(200, "audio/mpeg", data, [("Accept-Ranges", "none")], chunked=True)


def download(lib, params):
    song = find("Song", catalogue.song, params.required("id"))
    name = "%s.%s" % (song["title"], song["suffix"])
    disposition = "attachment; filename*=UTF-8''%s" % "".join(
        c if c.isascii() and c.isalnum() or c in "-._" else "%%%02X" % b
        for c in name for b in c.encode())
    return file_reply(lib, song, [("Content-Disposition", disposition)])


def file_reply(lib, song, headers):
    data = read_bytes(os.path.join(lib.media_dir, catalogue.song_file(song)))
    return Reply(200, catalogue.CONTENT_TYPES[song["suffix"]], data, headers + [("Accept-Ranges", "bytes")])


def cover_source(cover_id):
    """Maps any cover id the server hands out (album, artist, playlist, song) to an image id."""
    if catalogue.cover_file(cover_id) or catalogue.album(cover_id):
        return cover_id
    playlist = catalogue.playlist(cover_id)
    if playlist:
        cover_id = playlist["songs"][0]
    song = catalogue.song(cover_id)
    return song["albumId"] if song else None


def get_cover_art(lib, params):
    image_id = cover_source(params.required("id"))
    if image_id is None:
        raise ApiError(70, "Artwork not found")
    size = params.integer("size", 0, 0, 2000)
    if catalogue.album(image_id) and catalogue.album(image_id)["cover"] == "generated":
        path = make_media.generated_cover(lib.media_dir, catalogue.album(image_id), size or 600)
        return Reply(200, "image/png", read_bytes(path), [("Cache-Control", "public, max-age=315360000")])
    source = os.path.join(lib.media_dir, catalogue.cover_file(image_id))
    path = make_media.resized_cover(lib.media_dir, image_id, size) if 0 < size < 600 else source
    ext = os.path.splitext(path)[1][1:]
    return Reply(200, catalogue.CONTENT_TYPES[ext], read_bytes(path),
                 [("Cache-Control", "public, max-age=315360000")])


ENDPOINTS = {
    "ping": ping, "getAlbumList2": get_album_list2, "getAlbum": get_album, "getArtists": get_artists,
    "getArtist": get_artist, "search3": search3, "getPlaylists": get_playlists,
    "getPlaylist": get_playlist, "getStarred2": get_starred2, "getRandomSongs": get_random_songs,
    "star": star, "unstar": unstar, "scrobble": scrobble, "stream": stream, "download": download,
    "getCoverArt": get_cover_art, "getOpenSubsonicExtensions": get_open_subsonic_extensions,
    "getLyricsBySongId": get_lyrics_by_song_id, "getLyrics": get_lyrics, "savePlayQueue": save_play_queue,
    "getPlayQueue": get_play_queue,
}

"""The fixed library served by the Subsonic test server.

Ids are stable: tests and tests/server/README.md refer to them. A few values are deliberately
typed the way some real servers send them (a numeric id, a year and track numbers as strings,
a fractional duration) so that the client's lenient decoding is exercised.
"""

ARTISTS = [
    {"id": "ar-1", "name": "Aurora Lane"},
    {"id": "ar-2", "name": "The Basslines"},
    {"id": "ar-3", "name": "Cinder & Ash"},
    {"id": "ar-4", "name": "Échos"},
]

# cover: the file format of the album's cover image.
ALBUMS = [
    {"id": "al-1", "name": "First Light", "artistId": "ar-1", "year": 2019, "genre": "Ambient",
     "cover": "jpg", "colors": ("#1d3557", "#f4a261"), "created": "2024-01-10T09:00:00Z"},
    {"id": "al-2", "name": "Northern Skies", "artistId": "ar-1", "year": 2021, "genre": "Ambient",
     "cover": "png", "colors": ("#0b132b", "#5bc0be"), "created": "2024-02-11T09:00:00Z"},
    {"id": "al-3", "name": "Deep Currents", "artistId": "ar-2", "year": 2015, "genre": "Electronic",
     "cover": "jpg", "colors": ("#2b2d42", "#ef233c"), "created": "2024-03-12T09:00:00Z"},
    {"id": "al-4", "name": "Ember Songs", "artistId": "ar-3", "year": 1999, "genre": "Rock",
     "cover": "png", "colors": ("#370617", "#ffba08"), "created": "2024-04-13T09:00:00Z"},
    {"id": "al-5", "name": "Été sans fin", "artistId": "ar-4", "year": 2023, "genre": "Pop",
     "cover": "jpg", "colors": ("#3a0ca3", "#f72585"), "created": "2024-05-14T09:00:00Z"},
]

# freq: pitch of the tone in Hz; bitRate in kbit/s for the lossy files (flac's is measured).
SONGS = [
    {"id": "tr-1", "albumId": "al-1", "track": 1, "title": "Dawn", "suffix": "mp3", "freq": 261.63},
    {"id": "tr-2", "albumId": "al-1", "track": 2, "title": "Morning Haze", "suffix": "mp3", "freq": 293.66},
    {"id": "tr-3", "albumId": "al-1", "track": 3, "title": "Noon", "suffix": "mp3", "freq": 329.63},
    {"id": "tr-4", "albumId": "al-2", "track": 1, "title": "Polar Night", "suffix": "flac", "freq": 349.23},
    {"id": "tr-5", "albumId": "al-2", "track": 2, "title": "Aurora", "suffix": "flac", "freq": 392.00},
    {"id": "tr-6", "albumId": "al-2", "track": 3, "title": "Fjord", "suffix": "flac", "freq": 440.00},
    {"id": "tr-7", "albumId": "al-3", "track": 1, "title": "Undertow", "suffix": "ogg", "freq": 110.00},
    {"id": "tr-8", "albumId": "al-3", "track": 2, "title": "Sub Bass", "suffix": "ogg", "freq": 123.47},
    {"id": "tr-9", "albumId": "al-3", "track": 3, "title": "Riptide", "suffix": "ogg", "freq": 130.81},
    # A non-ASCII title for searching ("über"); it plays Riptide's file.
    {"id": "tr-12", "albumId": "al-3", "track": 4, "title": "Über Wasser", "suffix": "ogg", "source": "tr-9"},
    {"id": "tr-10", "albumId": "al-4", "track": 1, "title": "Spark", "suffix": "mp3", "freq": 493.88},
    {"id": "tr-11", "albumId": "al-4", "track": 2, "title": "Slow Burn", "suffix": "m4a", "freq": 523.25},
    # Sent as the JSON number 42 (some servers use numeric ids); requests use "42".
    {"id": "42", "albumId": "al-5", "track": 1, "title": "Plage à l'aube", "suffix": "mp3", "freq": 587.33},
]

PLAYLISTS = [
    {"id": "pl-1", "name": "Morning Mix", "owner": "demo", "comment": "Soft starts",
     "songs": ["tr-1", "tr-2", "tr-5", "tr-10", "42"], "created": "2024-06-01T08:00:00Z"},
    {"id": "pl-2", "name": "Night Drive", "owner": "demo", "comment": "",
     "songs": ["tr-7", "tr-9", "tr-4", "tr-11"], "created": "2024-06-02T22:00:00Z"},
]

# Favourites present at start (and after a reset).
INITIAL_STARS = {"tr-2": "2024-07-01T10:00:00Z", "al-3": "2024-07-02T10:00:00Z"}
# Plays present at start: song id -> (play count, last played). Only the generated library has some,
# so that its "recent" and "frequent" lists are not empty.
INITIAL_PLAYS = {}
# The demo starts with a few more, so its favourites page shows songs, albums and an artist.
DEMO_STARS = dict(INITIAL_STARS, **{"tr-5": "2024-07-03T10:00:00Z", "tr-9": "2024-07-04T10:00:00Z",
                                    "42": "2024-07-05T10:00:00Z", "al-2": "2024-07-06T10:00:00Z",
                                    "ar-1": "2024-07-07T10:00:00Z"})

# Lyrics by song id, as getLyricsBySongId sends them (start and offset in ms). Dawn has synced
# English lines two seconds apart and a synced Japanese entry; Morning Haze unsynced Russian; Noon
# synced Greek with an offset and one line without a time. getLyrics answers with the first entry's
# lines as plain text, found by artist and title.
LYRICS = {
    "tr-1": [
        {"lang": "eng", "synced": True, "offset": 0,
         "line": [{"start": 2000 * i, "value": text} for i, text in enumerate([
             "First light on the water", "The hills begin to glow", "A long road waking slowly",
             "Everything we used to know", "Open the window wide now", "Let the morning in",
             "Every song is a sunrise", "Every day a place to begin", "Hold on to the colour",
             "Dawn is where the songs begin"])]},
        {"lang": "jpn", "synced": True, "offset": 0,
         "line": [{"start": 4000 * i, "value": text} for i, text in enumerate([
             "夜明けの光", "水面に揺れる", "新しい朝", "歌が始まる", "夜明けの歌"])]},
    ],
    "tr-2": [
        {"lang": "rus", "synced": False,
         "line": [{"value": text} for text in [
             "Утренний туман над рекой", "Тихо спит старый город", "",
             "Мы идём по мокрой траве,", "и песня ещё не спета"]]},
    ],
    "tr-3": [
        {"lang": "ell", "synced": True, "offset": 500,
         "line": [{"start": 500, "value": "Μεσημέρι στην αυλή"}, {"value": "(οργανικό)"},
                  {"start": 1500, "value": "Ο ήλιος ψηλά"}]},
    ],
}

LOSSY_BITRATE = 128
TRANSCODE_BITRATE = 96
IGNORED_ARTICLES = "The El La Los Las Le Les"

ARTIST_COLORS = {"ar-1": ("#264653", "#2a9d8f"), "ar-2": ("#14213d", "#fca311"),
                 "ar-3": ("#6a040f", "#e85d04"), "ar-4": ("#240046", "#c77dff")}

CONTENT_TYPES = {"mp3": "audio/mpeg", "flac": "audio/flac", "ogg": "audio/ogg", "m4a": "audio/mp4",
                 "jpg": "image/jpeg", "png": "image/png"}


# Lookups by id, rebuilt by reindex() whenever the lists change (grow()).
_BY_ID = {}


def reindex():
    _BY_ID.clear()
    for kind, items in (("album", ALBUMS), ("artist", ARTISTS), ("song", SONGS), ("playlist", PLAYLISTS)):
        _BY_ID[kind] = {item["id"]: item for item in items}
    _BY_ID["songs_of"], _BY_ID["albums_of"] = {}, {}
    for s in SONGS:
        _BY_ID["songs_of"].setdefault(s["albumId"], []).append(s)
    for a in ALBUMS:
        _BY_ID["albums_of"].setdefault(a["artistId"], []).append(a)


def album(album_id):
    return _BY_ID["album"].get(album_id)


def artist(artist_id):
    return _BY_ID["artist"].get(artist_id)


def song(song_id):
    return _BY_ID["song"].get(song_id)


def playlist(playlist_id):
    return _BY_ID["playlist"].get(playlist_id)


def songs_of(album_id):
    return list(_BY_ID["songs_of"].get(album_id, []))


def albums_of(artist_id):
    return list(_BY_ID["albums_of"].get(artist_id, []))


def media_id(song_entry):
    """The id of the generated audio file a song plays: its own, or the one it reuses."""
    return song_entry.get("source", song_entry["id"])


def song_file(song_entry):
    return "%s.%s" % (media_id(song_entry), song_entry["suffix"])


def cover_file(cover_id):
    """The source image name for a cover id, or None when the id has no artwork."""
    a = album(cover_id)
    if a and a["cover"] != "generated":
        return "%s.%s" % (cover_id, a["cover"])
    if cover_id in ARTIST_COLORS:
        return "%s.png" % cover_id
    return None


# --- the larger library made on request (--albums N) ----------------------------------------------
ADJECTIVES = ["Amber", "Blue", "Crimson", "Distant", "Electric", "Fading", "Golden", "Hidden", "Iron",
              "Jade", "Kind", "Lunar", "Midnight", "Neon", "Open", "Pale", "Quiet", "Restless", "Silver",
              "Tidal", "Velvet", "Wild", "Young", "Zero", "Broken", "Frozen", "Hollow", "Paper", "Silent",
              "Wandering"]
NOUNS = ["Arcade", "Bridges", "Canyons", "Dreams", "Echoes", "Fields", "Gardens", "Harbour", "Islands",
         "Journeys", "Kingdoms", "Lanterns", "Mirrors", "Nights", "Oceans", "Parades", "Rivers", "Signals",
         "Towers", "Valleys", "Waves", "Winters", "Horizons", "Engines", "Letters", "Satellites", "Shadows",
         "Streets", "Summers", "Voices", "Embers", "Orchards", "Meadows", "Tides"]
FIRST = ["Ada", "Ben", "Cleo", "Dev", "Edie", "Finn", "Gus", "Hana", "Ivo", "Juno", "Kai", "Lena", "Milo",
         "Nora", "Otto", "Pia", "Quinn", "Rosa", "Sami", "Tova", "Uma", "Vic", "Wren", "Xan", "Yara", "Zed"]
LAST = ["Archer", "Brook", "Cole", "Drake", "Ellis", "Frost", "Grey", "Hale", "Ivers", "Jett", "Knox",
        "Lowe", "Marsh", "North", "Oakes", "Pryce", "Reed", "Stone", "Thorne", "Vale", "West", "York"]
SONG_WORDS = ["Intro", "Theme", "Reprise", "Interlude", "Overture", "Coda", "Ballad", "Anthem"]
ALBUMS_PER_ARTIST = 3
SONGS_PER_ALBUM = 3


def _roman(n):
    out = ""
    for value, digits in ((10, "X"), (9, "IX"), (5, "V"), (4, "IV"), (1, "I")):
        while n >= value:
            out, n = out + digits, n - value
    return out


def generated_name(index, words_a, words_b):
    """A distinct name for every index: word pairs first, then numbered volumes of them."""
    pairs = len(words_a) * len(words_b)
    a, b = index % len(words_a), (index // len(words_a)) % len(words_b)
    name = "%s %s" % (words_a[a], words_b[b])
    volume = index // pairs
    return name if volume == 0 else "%s %s" % (name, _roman(volume + 1))


def grow(count):
    """Adds `count` generated albums (gal-1 ...) by generated artists (gar-1 ...), three songs each
    reusing the fixed library's audio files; their covers are made on request (cover "generated").
    Creation dates descend with the number, so "newest" and "alphabeticalByName" orders differ."""
    artists = (count + ALBUMS_PER_ARTIST - 1) // ALBUMS_PER_ARTIST
    for k in range(artists):
        ARTISTS.append({"id": "gar-%d" % (k + 1), "name": generated_name(k, FIRST, LAST)})
    base = [s for s in SONGS if "source" not in s]
    for n in range(1, count + 1):
        album_id = "gal-%d" % n
        day = 20000 - n  # days after 1970: newest first in number order
        ALBUMS.append({"id": album_id, "name": generated_name(n - 1, ADJECTIVES, NOUNS),
                       "artistId": "gar-%d" % ((n - 1) // ALBUMS_PER_ARTIST + 1), "year": 1960 + n % 64,
                       "genre": ["Ambient", "Electronic", "Rock", "Pop", "Jazz"][n % 5], "cover": "generated",
                       "hue": (n * 137.508) % 360,
                       "created": "%sT12:00:00Z" % _date(day)})
        for t in range(1, SONGS_PER_ALBUM + 1):
            source = base[(n * SONGS_PER_ALBUM + t) % len(base)]
            SONGS.append({"id": "gtr-%d-%d" % (n, t), "albumId": album_id, "track": t,
                          "title": "%s %d" % (SONG_WORDS[(n + t) % len(SONG_WORDS)], n),
                          "suffix": source["suffix"], "freq": source["freq"], "source": source["id"]})
        if n % 7 == 0:  # every seventh album has been played, some more often than others
            INITIAL_PLAYS["gtr-%d-1" % n] = (n % 5 + 1, "%sT20:00:00Z" % _date(19000 + n % 400))
    reindex()


def _date(days):
    import datetime
    return (datetime.date(1970, 1, 1) + datetime.timedelta(days=days)).isoformat()


reindex()

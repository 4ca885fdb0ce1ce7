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
    {"id": "tr-10", "albumId": "al-4", "track": 1, "title": "Spark", "suffix": "mp3", "freq": 493.88},
    {"id": "tr-11", "albumId": "al-4", "track": 2, "title": "Slow Burn", "suffix": "mp3", "freq": 523.25},
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
# The demo starts with a few more, so its favourites page shows songs, albums and an artist.
DEMO_STARS = dict(INITIAL_STARS, **{"tr-5": "2024-07-03T10:00:00Z", "tr-9": "2024-07-04T10:00:00Z",
                                    "42": "2024-07-05T10:00:00Z", "al-2": "2024-07-06T10:00:00Z",
                                    "ar-1": "2024-07-07T10:00:00Z"})

LOSSY_BITRATE = 128
TRANSCODE_BITRATE = 96
IGNORED_ARTICLES = "The El La Los Las Le Les"

ARTIST_COLORS = {"ar-1": ("#264653", "#2a9d8f"), "ar-2": ("#14213d", "#fca311"),
                 "ar-3": ("#6a040f", "#e85d04"), "ar-4": ("#240046", "#c77dff")}

CONTENT_TYPES = {"mp3": "audio/mpeg", "flac": "audio/flac", "ogg": "audio/ogg",
                 "jpg": "image/jpeg", "png": "image/png"}


def album(album_id):
    return next((a for a in ALBUMS if a["id"] == album_id), None)


def artist(artist_id):
    return next((a for a in ARTISTS if a["id"] == artist_id), None)


def song(song_id):
    return next((s for s in SONGS if s["id"] == song_id), None)


def playlist(playlist_id):
    return next((p for p in PLAYLISTS if p["id"] == playlist_id), None)


def songs_of(album_id):
    return [s for s in SONGS if s["albumId"] == album_id]


def albums_of(artist_id):
    return [a for a in ALBUMS if a["artistId"] == artist_id]


def song_file(song_entry):
    return "%s.%s" % (song_entry["id"], song_entry["suffix"])


def cover_file(cover_id):
    """The source image name for a cover id, or None when the id has no artwork."""
    a = album(cover_id)
    if a:
        return "%s.%s" % (cover_id, a["cover"])
    if cover_id in ARTIST_COLORS:
        return "%s.png" % cover_id
    return None

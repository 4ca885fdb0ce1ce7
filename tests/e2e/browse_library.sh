# Browsing the library with the keyboard against a server of 1,000 generated albums:
# sign in, Albums and its A-Z order, an album and its second song (the server must
# see the stream request for exactly that song), back; Artists, an artist, one of
# its albums; Playlists, a playlist, Play; Home with its four shelves of covers.
# Keys: arrows move, Return presses, x goes back. The navigation rail is clicked:
# focus moves into it only from some widgets, and the rail is not under test here.
source "$(dirname "$0")/common.bash"

need_hooked

# rail SLOT: clicks the navigation button of that slot (0 Home, 1 Albums, 2 Artists, 3 Playlists).
rail() {
    xdotool mousemove 54 $((134 + 66 * $1)) click 1
    sleep 0.3
    xdotool mousemove 640 715 # off every tile, so no hover look in the shots
    sleep 1.5
}

# The ids of the songs the server was asked to stream, in order, one per line.
streamed() {
    server_requests | python3 -c '
import json, sys
for r in json.load(sys.stdin)["requests"]:
    if r["endpoint"] == "stream":
        print(dict(r["params"])["id"])'
}

# last_view: the title of the last view the controller showed.
# Non-zero when the two shots differ inside the grid's first row of titles.
titles_differ() {
    local a="$SHOTS/$1.png" b="$SHOTS/$2.png"
    [ "$(compare -metric AE -crop 1060x40+130+325 "$a" "$b" null: 2>&1 | cut -d' ' -f1)" != 0 ]
}

# Standard deviation (0-255) of the grey levels in a 150 x 150 square at X,Y of a shot:
# a drawn gradient cover varies, the flat placeholder does not.
spread() {
    convert "$SHOTS/$1.png" -crop 150x150+$2+$3 -colorspace Gray -format '%[fx:int(255*standard_deviation)]' info:
}

start_display
start_server 0 demo demo --albums 1000
start_app "$HOOKED"

type_demo_login
wait_for 15 '[ "$(last_view)" = Home ]' || fail "not signed in"
sleep 3
xdotool mousemove 640 715
sleep 1
shot 1-home
for x in 142 358 574; do
    [ "$(spread 1-home $x 262)" -gt 8 ] || fail "home: no cover drawn at x $x of the first shelf"
done
server_requests | python3 -c '
import json, sys
shelves = [dict(r["params"]) for r in json.load(sys.stdin)["requests"] if r["endpoint"] == "getAlbumList2"]
types = [p["type"] for p in shelves if p["size"] == "16"]
assert sorted(types) == ["frequent", "newest", "random", "recent"], types' || fail "home did not ask for its four shelves"

# Albums: from "Shuffle all", left into the rail, one down, press.
key Left
key Down
key Return
wait_for 5 '[ "$(last_view)" = Albums ]' || fail "Albums not shown: $(last_view)"
sleep 2
shot 2-albums-newest
key Right # the A-Z chip
key Return
sleep 2.5
shot 3-albums-az
titles_differ 2-albums-newest 3-albums-az || fail "the A-Z order looks the same as Newest"
server_requests | grep -q '"alphabeticalByName"' || fail "no A-Z request"

# The first album in A-Z order, its second song.
key Down
key Return
wait_for 5 '[ "$(last_view)" = Album ]' || fail "album not opened"
sleep 2
key Down # Play
key Down # song 1
key Down # song 2
key Return
wait_for 10 '[ -n "$(streamed)" ]' || fail "no stream request"
sleep 0.5
shot 4-album
[ "$(streamed | head -n1)" = "gtr-1-2" ] || fail "streamed $(streamed | head -n1) instead of gtr-1-2 (Amber Arcade, song 2)"
key x
sleep 1.5
shot 5-back
titles_differ 4-album 5-back || fail "back did not leave the album"

rail 2
[ "$(last_view)" = Artists ] || fail "Artists not shown: $(last_view)"
shot 6-artists
key Return # the first artist
wait_for 5 '[ "$(last_view)" = Artist ]' || fail "artist not opened"
sleep 2
shot 7-artist
key Return # its first album
wait_for 5 '[ "$(last_view)" = Album ]' || fail "the artist's album not opened"
sleep 1.5
shot 8-artist-album
server_requests | grep -q '"getArtist"' || fail "no getArtist request"

rail 3
[ "$(last_view)" = Playlists ] || fail "Playlists not shown: $(last_view)"
key Return # Morning Mix
wait_for 5 '[ "$(last_view)" = Playlist ]' || fail "playlist not opened"
sleep 2
key Return # Play, the first control of a playlist's header
wait_for 10 'streamed | grep -qx tr-1' || fail "playing the playlist streamed no tr-1: $(streamed | tr '\n' ' ')"
shot 9-playlist

rail 0
[ "$(last_view)" = Home ] || fail "Home not shown: $(last_view)"
stop_app
echo "ok: screenshots in $SHOTS"

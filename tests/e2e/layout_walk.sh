# Every page at 640x480, 720x720, 960x544, 1280x720 and 1920x1080: the testing
# build resizes its own window, shows each page in turn and walks the shown tree
# (vell::auditLayout): nothing visible leaves the screen, no row or column has
# overlapping children, no text is drawn below 10 device pixels. A screenshot of
# each page and size lands in e2e-screens/layout_walk; SONARIA_LAYOUT_THEMES=both
# also walks the light theme at the smallest and largest sizes. A narrow layout
# (640 wide: a 960x1080 window at interface size 150 %) checks the pages whose
# parts rearrange below 800: the album header, the now-playing transport and the
# setting rows.
source "$(dirname "$0")/common.bash"

need_hooked
SIZES=(640x480 720x720 960x544 1280x720 1920x1080)
PAGES=("nav 0:home" "nav 1:albums" "nav 2:artists" "artist ar-1:artist" "album al-1:album"
       "playlist pl-1:playlist" "search Light:search" "nav 5:favourites" "nav 6:offline"
       "nav 7:now-playing" "queue:queue" "queue:-" "nav 8:settings" "dialog:dialog")

# walk THEME SIZE...: the pad script lines that show and audit each page at each size.
walk() {
    local theme=$1; shift
    echo "do theme $theme"
    for size in "$@"; do
        echo "do size ${size%x*} ${size#*x}"
        echo "wait 700"
        for entry in "${PAGES[@]}"; do
            echo "do ${entry%%:*}"
            echo "wait 700"
            local name=${entry##*:}
            [ "$name" = - ] && continue
            echo "do audit $theme-$size-$name"
            echo "do shot $SHOTS/$theme-$size-$name.png"
            # The dialog closes with Circle before the next size.
            [ "$name" = dialog ] && { echo "Circle"; echo "wait 600"; }
        done
    done
}

# run_app SCRIPT: the testing build with that pad script, until it has walked it all.
RUNS=0
run_app() {
    RUNS=$((RUNS + 1))
    export SONARIA_TEST_PAD="$WORK/pad.txt"
    printf '%s\n' "$@" "do audit end-$RUNS" > "$SONARIA_TEST_PAD"
    start_app "$HOOKED"
    wait_for 400 'grep -q "^audit	end-$RUNS	" "$SONARIA_TEST_LOG"' || fail "the walk did not finish"
    stop_app
}

PORT=$(free_port)
start_display 1920x1080
start_server "$PORT" demo demo

# The login page, before any account is stored.
login=()
for size in "${SIZES[@]}"; do
    login+=("do size ${size%x*} ${size#*x}" "wait 700" "do audit dark-$size-login" "do shot $SHOTS/dark-$size-login.png")
done
run_app "${login[@]}"

# Signed in, with a queue whose song shows the mini player.
python3 - "$DATA_DIR" "$PORT" <<'EOF'
import hashlib, json, sys, urllib.request
data, port = sys.argv[1], sys.argv[2]
base = "http://127.0.0.1:%s" % port
salt = "c0ffee"
token = hashlib.md5(("demo" + salt).encode()).hexdigest()
json.dump({"url": base, "user": "demo", "salt": salt, "token": token}, open(data + "/config.json", "w"))
url = "%s/rest/getAlbum?id=al-1&u=demo&t=%s&s=%s&v=1.16.1&c=test&f=json" % (base, token, salt)
songs = json.load(urllib.request.urlopen(url))["subsonic-response"]["album"]["song"]
json.dump({"songs": songs, "index": 1, "shuffle": False, "repeat": 0}, open(data + "/queue.json", "w"))
EOF
pages=("wait 1500")
mapfile -t -O 1 pages < <(walk dark "${SIZES[@]}")
pages+=("do size 960 1080" "do interface-size 150" "wait 700")
for entry in "album al-1:album" "playlist pl-1:playlist" "nav 7:now-playing" "nav 8:settings"; do
    pages+=("do ${entry%%:*}" "wait 700" "do audit narrow-${entry##*:}" "do shot $SHOTS/narrow-${entry##*:}.png")
    # The lyrics take the cover's place on the narrow panel too.
    [ "${entry##*:}" = now-playing ] &&
        pages+=("Triangle" "wait 700" "do audit narrow-lyrics" "do shot $SHOTS/narrow-lyrics.png" "Triangle")
done
# The largest interface size on the desktop window keeps the whole rail, Settings included.
pages+=("do size 1280 720" "do interface-size 200" "wait 700" "do audit narrow-200-settings"
        "do shot $SHOTS/narrow-200-settings.png" "do interface-size 0")
if [ "${SONARIA_LAYOUT_THEMES:-dark}" = both ]; then
    mapfile -t -O "${#pages[@]}" pages < <(walk light 640x480 1920x1080)
fi
run_app "${pages[@]}"

audits=$(grep -c "^audit	[dln]" "$SONARIA_TEST_LOG")
[ "$audits" -ge $((${#SIZES[@]} * 14)) ] || fail "only $audits screens were walked"
if grep -q "^layout	" "$SONARIA_TEST_LOG"; then
    grep "^layout	" "$SONARIA_TEST_LOG" | cut -f2- | sed 's/^/  /' >&2
    fail "$(grep -c "^layout	" "$SONARIA_TEST_LOG") layout problems"
fi
echo "layout walk: $audits screens, no problems"

# Shared by the end-to-end scripts (sourced, not run by ctest: no .sh suffix).
# Each script is run as: bash script.sh <path-of-sonaria> <build-dir>.
# It gets its own Xvfb display, a temporary CADDIS_HOME, dummy audio and, when
# it asks for one, its own Subsonic test server on a free port.

set -u

APP=${1:?path of the sonaria binary}
BUILD=${2:?build directory}
SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TEST_NAME=$(basename "$0" .sh)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/sonaria-e2e-$TEST_NAME.XXXXXX")
SHOTS="$BUILD/e2e-screens/$TEST_NAME"
mkdir -p "$SHOTS" "$WORK/home"
rm -f "$SHOTS"/*.png

export CADDIS_HOME="$WORK/home"
export SDL_AUDIODRIVER=dummy
export SONARIA_TEST_LOG="$WORK/hooks.log"
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
# Sanitizer builds: the X11 and D-Bus libraries SDL loads at run time keep a
# little memory past exit (unloaded by then, so it cannot even be attributed);
# leaks are the unit suites' business, these runs check behaviour.
export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
unset XDG_DATA_HOME XDG_CACHE_HOME
DATA_DIR="$CADDIS_HOME/data"
CONFIG="$DATA_DIR/config.json"

XVFB_PID=""
SERVER_PID=""
APP_PID=""
APP_WINDOW=""
SERVER_PORT=""

cleanup() {
    for pid in $APP_PID $SERVER_PID $XVFB_PID; do
        kill -TERM "$pid" 2>/dev/null
    done
    for pid in $APP_PID $SERVER_PID $XVFB_PID; do
        for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL ($TEST_NAME): $*" >&2
    [ -f "$WORK/app.log" ] && sed 's/^/  app: /' "$WORK/app.log" >&2
    [ -f "$SONARIA_TEST_LOG" ] && sed 's/^/  hooks: /' "$SONARIA_TEST_LOG" >&2
    exit 1
}

# Polls a shell condition every 0.1 s for up to $1 seconds.
wait_for() {
    local seconds=$1; shift
    local tries=$((seconds * 10))
    for _ in $(seq 1 "$tries"); do
        if eval "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

# Xvfb chooses a free display itself and reports it through -displayfd.
# start_display [WxH]: 1280x720 unless given.
start_display() {
    local fdfile="$WORK/display"
    Xvfb -displayfd 3 -screen 0 "${1:-1280x720}x24" -nolisten tcp 3>"$fdfile" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_for 10 '[ -s "$fdfile" ]' || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fdfile" | tr -d '[:space:]')"
}

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

# start_server PORT USER PASSWORD [OPTION...]: our Subsonic test server on 127.0.0.1:PORT,
# with any further server options (such as --albums 1000).
start_server() {
    local portfile="$WORK/server.port"
    rm -f "$portfile"
    python3 "$SOURCE_DIR/tests/server/subsonic_server.py" --port "$1" --port-file "$portfile" \
        --user "$2" --password "$3" "${@:4}" >"$WORK/server.log" 2>&1 &
    SERVER_PID=$!
    wait_for 90 '[ -s "$portfile" ]' || fail "test server did not start: $(cat "$WORK/server.log")"
    SERVER_PORT=$(cat "$portfile")
}

stop_server() {
    kill -TERM "$SERVER_PID" 2>/dev/null
    wait "$SERVER_PID" 2>/dev/null
    SERVER_PID=""
}

# The /rest requests the server saw, as JSON.
server_requests() {
    curl -s "http://127.0.0.1:$SERVER_PORT/__test/requests"
}

# Grey-level spread of a window's pixels: 0 while it shows a single colour (nothing drawn yet).
window_contrast() {
    import -window "$1" png:- 2>/dev/null | convert png:- -colorspace Gray -format '%[fx:standard_deviation]' info: 2>/dev/null \
        || echo 0
}

# demo_config [JSON MEMBER...]: config.json signed in as demo/demo to our server, with
# any further members (such as '"streamKbps": 0').
demo_config() {
    local salt=0123456789 members=""
    local token
    token=$(printf '%s%s' demo "$salt" | md5sum | cut -d' ' -f1)
    for member in "$@"; do members="$members, $member"; done
    mkdir -p "$DATA_DIR"
    printf '{ "url": "http://127.0.0.1:%s", "user": "demo", "salt": "%s", "token": "%s"%s }\n' \
        "$SERVER_PORT" "$salt" "$token" "$members" >"$CONFIG"
}

# use_pad: the app started next reads controller presses from the fifo $PAD.
use_pad() {
    PAD="$WORK/pad"
    mkfifo "$PAD"
    export SONARIA_TEST_PAD="$PAD"
}

# press NAME...: one pad line per button, then waits until the pad has taken them all.
press() {
    local before after
    before=$(grep -c "^pad	" "$SONARIA_TEST_LOG" 2>/dev/null)
    timeout 5 sh -c "printf '%s\n' $* > '$PAD'" || fail "the pad script is not read"
    after=$((before + $#))
    wait_for 10 '[ "$(grep -c "^pad	" "$SONARIA_TEST_LOG")" -ge '"$after"' ]' || fail "presses $* not taken"
    sleep 0.4
}

# start_app COMMAND [ARG...]: runs it in the background, waits for its window (titled
# $APP_TITLE, "Sonaria" by default) and for its first drawn frame. The deadlines are
# generous for a busy machine or a sanitizer build; the polling keeps the usual case quick.
start_app() {
    local title=${APP_TITLE:-Sonaria}
    "$@" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    APP_WINDOW=""
    local deadline=$((SECONDS + 60))
    while [ -z "$APP_WINDOW" ]; do
        kill -0 "$APP_PID" 2>/dev/null || fail "$(basename "$1") exited before its window appeared"
        [ "$SECONDS" -lt "$deadline" ] || fail "no $title window within 60 s; $(window_report)"
        # Polled rather than --sync: a search racing SDL's window set-up can die on BadWindow.
        # By title, or else by the process's own window, should the title not be readable.
        APP_WINDOW=$(xdotool search --name "^$title\$" 2>/dev/null | head -n1)
        [ -n "$APP_WINDOW" ] || APP_WINDOW=$(xdotool search --pid "$APP_PID" 2>/dev/null | head -n1)
        [ -n "$APP_WINDOW" ] || sleep 0.1
    done
    deadline=$((SECONDS + 60))
    until awk -v c="$(window_contrast "$APP_WINDOW")" 'BEGIN { exit !(c > 0.01) }'; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the $title window drew nothing within 60 s"
        sleep 0.2
    done
    # Let the first view finish fading in.
    sleep 1.5
}

# What the display and the app were doing, for a window that did not come.
window_report() {
    echo "display $DISPLAY; app $(ps -o stat=,etime=,wchan= -p "$APP_PID" 2>/dev/null | tr -s ' ')"
    xwininfo -root -tree 2>&1 | sed -n '1,12p'
}

# Ends the app with SIGTERM (SDL turns it into a quit) and checks its exit status.
stop_app() {
    kill -TERM "$APP_PID"
    local status=0
    wait "$APP_PID" || status=$?
    APP_PID=""
    [ "$status" -eq 0 ] || fail "sonaria exited with status $status"
}

shot() {
    import -window root "$SHOTS/$1.png" || fail "screenshot $1"
}

# Mean grey level (0-255) of the 64 x 64 logo area in the navigation rail: the
# light logo is there only once the main pages are shown.
logo_brightness() {
    convert "$SHOTS/$1.png" -crop 64x64+22+12 -colorspace Gray -format '%[fx:int(255*mean)]' info:
}

# Types into the field being edited, then Return: submitting a login field
# moves the editing on to the next one.
type_line() {
    xdotool type --delay 20 "$1"
    sleep 0.2
    xdotool key Return
    sleep 0.3
}

# Fills the login page for our test server's demo account and submits it (the
# first field focused, not yet editing).
type_demo_login() {
    begin_editing
    type_line "127.0.0.1:$SERVER_PORT"
    type_line "demo"
    xdotool type --delay 20 "demo"
    xdotool key Return
}

# Return on the focused field begins editing it.
begin_editing() {
    xdotool key Return
    sleep 0.3
}

# json_field FILE KEY: one value of a JSON object file.
json_field() {
    python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$1" "$2"
}

# The testing build (test clock, log and virtual pad), built beside the one under test.
HOOKED="$BUILD/sonaria-testhooks"
need_hooked() {
    [ -x "$HOOKED" ] || fail "$HOOKED is not built"
}

# The title of the last view the testing build logged.
last_view() {
    grep "^view" "$SONARIA_TEST_LOG" | tail -n1 | cut -f2
}

# key KEY: one key press through X, then a moment for the frame that answers it.
key() {
    xdotool key "$1"
    sleep 0.3
}

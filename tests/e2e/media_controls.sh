# The desktop's media controls (MPRIS) on a private session bus, driven by playerctl:
# metadata (a hostile song id still gives a valid track path), play-pause, next,
# position, shuffle, loop and volume act on the program, and `playerctl --follow
# status` sees the changes the program makes itself. A second start on the same data
# folder raises the first and exits 0 while the first's stream fetch completes intact.
# Then the same binary runs with no session bus at all, normally.
if [ -z "${SONARIA_PRIVATE_BUS:-}" ]; then
    SONARIA_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/common.bash"

need_hooked
command -v playerctl >/dev/null || fail "playerctl is not installed"

pc() {
    timeout 10 playerctl -p sonaria "$@" 2>&1
}

# expect_pc EXPECTED ARG...: waits for `playerctl ARG...` to print EXPECTED.
expect_pc() {
    local expected=$1; shift
    local got
    for _ in $(seq 1 150); do
        got=$(pc "$@")
        [ "$got" = "$expected" ] && return 0
        sleep 0.1
    done
    fail "playerctl $* gave '$got', not '$expected'"
}

start_display
start_server 0 demo demo --scale 8
demo_config '"volume": 0.8'
song() {
    printf '{"id": "%s", "title": "%s", "artist": "%s", "album": "%s", "suffix": "%s", "duration": %s, "coverArt": "%s"}' "$@"
}
cat >"$DATA_DIR/queue.json" <<JSON
{ "index": 0, "shuffle": false, "repeat": 0, "songs": [
  $(song "../x y" "Hostile" "Nobody" "Nowhere" mp3 10 ""),
  $(song tr-3 Noon "Aurora Lane" "First Light" mp3 36 al-1),
  $(song tr-1 Dawn "Aurora Lane" "First Light" mp3 20 al-1) ] }
JSON

start_app "$HOOKED"
wait_for 15 '[ "$(last_view)" = Home ]' || fail "not signed in"

# playerctl quotes an object path; the bus itself refuses an invalid one.
expect_pc "'/org/sonaria/track/_2E_2E_2Fx_20y'" metadata mpris:trackid
expect_pc "Hostile" metadata xesam:title
expect_pc "Stopped" status
stdbuf -oL playerctl -p sonaria --follow status >"$WORK/follow.log" 2>&1 &
FOLLOW_PID=$!

# The stream arrives slowly: the second start below happens while it is fetched.
curl -s -X POST "http://127.0.0.1:$SERVER_PORT/__test/faults" \
    -d '{"endpoint": "stream", "times": 1, "throttleBytesPerSecond": 250000}' >/dev/null
pc next >/dev/null
expect_pc "Noon" metadata xesam:title
expect_pc "Aurora Lane" metadata xesam:artist
expect_pc "'/org/sonaria/track/tr_2D3'" metadata mpris:trackid
wait_for 10 '[ -n "$(ls "$CADDIS_HOME/cache/tracks/" 2>/dev/null | grep part)" ]' || fail "no stream fetch under way"

# A second start on this data folder: raises the first, says so, exits 0, sweeps nothing.
status=0
"$HOOKED" >"$WORK/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the second start exited $status: $(cat "$WORK/second.log")"
[ "$(wc -l <"$WORK/second.log")" -eq 1 ] && grep -q "already running" "$WORK/second.log" \
    || fail "the second start said: $(cat "$WORK/second.log")"
wait_for 5 'grep -q "^raise" "$SONARIA_TEST_LOG"' || fail "the first window was not raised"

cached="$CADDIS_HOME/cache/tracks/tr-3_320.mp3"
wait_for 20 'grep -q "^play	$cached" "$SONARIA_TEST_LOG"' || fail "the fetched song did not play"
expect_pc "Playing" status
# It plays while it arrives: the cache file is complete once the fetch's temporary is gone.
wait_for 20 '[ -f "$cached" ] && ! ls "$CADDIS_HOME/cache/tracks/" | grep -q part' || fail "the stream fetch did not finish"
query=$(server_requests | python3 -c '
import json, sys, urllib.parse
r = [r for r in json.load(sys.stdin)["requests"] if r["endpoint"] == "stream" and ["id", "tr-3"] in r["params"]][0]
print(urllib.parse.urlencode([tuple(p) for p in r["params"]]))')
curl -s "http://127.0.0.1:$SERVER_PORT/rest/stream?$query" -o "$WORK/expected"
cmp -s "$cached" "$WORK/expected" || fail "the fetched stream is not intact: $(wc -c <"$cached") bytes, expected $(wc -c <"$WORK/expected"); $query"
length=$(pc metadata mpris:length)
[ "$length" -gt 30000000 ] || fail "length $length"
case "$(pc metadata mpris:artUrl)" in
    file://*/covers/al-1_*.jpg | "") ;;
    *) fail "art URL $(pc metadata mpris:artUrl)" ;;
esac

pc play-pause >/dev/null
expect_pc "Paused" status
pc play-pause >/dev/null
expect_pc "Playing" status

dbus-monitor "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked'" >"$WORK/seeked.log" 2>&1 &
MONITOR_PID=$!
sleep 0.3
pc position 30 >/dev/null
wait_for 5 'awk -v p="$(pc position)" "BEGIN { exit !(p >= 29.5 && p < 34) }"' || fail "position $(pc position)"
wait_for 5 'grep -qE "int64 (29[0-9]{6}|30[0-9]{6})$" "$WORK/seeked.log"' || fail "no Seeked signal: $(cat "$WORK/seeked.log")"
kill "$MONITOR_PID" 2>/dev/null
wait "$MONITOR_PID" 2>/dev/null
pc shuffle On >/dev/null
expect_pc "On" shuffle
pc loop Track >/dev/null
expect_pc "Track" loop
pc volume 0.5 >/dev/null
expect_pc "0.500000" volume

# The program's own changes reach the follower: the media key pauses and resumes.
xdotool key XF86AudioPlay
expect_pc "Paused" status
xdotool key XF86AudioPlay
expect_pc "Playing" status
sleep 0.5
kill "$FOLLOW_PID" 2>/dev/null
wait "$FOLLOW_PID" 2>/dev/null
uniq "$WORK/follow.log" | tr '\n' ' ' | grep -q "Stopped Playing Paused Playing Paused Playing" \
    || fail "playerctl --follow saw: $(tr '\n' ' ' <"$WORK/follow.log")"

stop_app
python3 - "$DATA_DIR/queue.json" "$CONFIG" <<'PY' || fail "the requests did not reach the saved state"
import json, sys
queue, config = json.load(open(sys.argv[1])), json.load(open(sys.argv[2]))
assert queue["shuffle"] is True and queue["repeat"] == 2, queue
assert abs(config["volume"] - 0.5) < 1e-6, config["volume"]
PY

# No session bus at all: the program runs as before, with one line about it.
unset DBUS_SESSION_BUS_ADDRESS
start_app "$HOOKED"
wait_for 15 '[ "$(grep -c "^view	Home" "$SONARIA_TEST_LOG")" -ge 2 ]' || fail "not signed in without a bus"
[ "$(grep -c "media controls are off" "$WORK/app.log")" -eq 1 ] || fail "app log: $(cat "$WORK/app.log")"
shot no-bus
stop_app
echo "ok"

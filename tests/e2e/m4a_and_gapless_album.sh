# An album of an MP3 and an AAC song in .m4a at "Original" quality: it streams and plays
# from start to end without a gap (SDL's disk driver keeps every sample the device was
# given, at the device's own pace), is downloaded through the album's Download button, and
# with the server gone the .m4a plays from its downloaded file.
source "$(dirname "$0")/common.bash"
need_hooked
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/heard.raw" SDL_DISKAUDIODELAY=186
use_pad

focused() {
    local before
    before=$(grep -c "^focus	" "$SONARIA_TEST_LOG" 2>/dev/null)
    timeout 5 sh -c "echo dump > '$PAD'" || fail "the pad script is not read"
    wait_for 10 '[ "$(grep -c "^focus	" "$SONARIA_TEST_LOG")" -gt '"$before"' ]' || fail "no dump"
    grep "^focus	" "$SONARIA_TEST_LOG" | tail -n1 | cut -f2
}
queue_of() {
    printf '{ "index": 0, "shuffle": false, "repeat": 0, "songs": [%s] }' "$1" >"$DATA_DIR/queue.json"
}
SPARK='{"id": "tr-10", "title": "Spark", "artist": "Cinder & Ash", "album": "Ember Songs", "suffix": "mp3", "duration": 3}'
BURN='{"id": "tr-11", "title": "Slow Burn", "artist": "Cinder & Ash", "album": "Ember Songs", "suffix": "m4a", "duration": 4}'

start_display
start_server 0 demo demo
demo_config '"streamKbps": 0'
queue_of "$SPARK, $BURN"
start_app "$HOOKED"
wait_for 15 '[ "$(last_view)" = Home ]' || fail "not signed in"
press Start
TRACKS="$CADDIS_HOME/cache/tracks"
wait_for 20 'grep -q "^play	$TRACKS/tr-10_0.mp3	" "$SONARIA_TEST_LOG"' || fail "Spark did not play"
wait_for 20 'grep -q "^play	$TRACKS/tr-11_0.m4a	" "$SONARIA_TEST_LOG"' || fail "Slow Burn (m4a) did not follow"
# Spark lasts 3.5 s and Slow Burn 4.5 s (see make_media.py): 8 s of sound, nothing between.
wait_for 15 'grep -q "^stopped	$TRACKS/tr-11_0.m4a" "$SONARIA_TEST_LOG"' || fail "the album did not end"
sleep 0.5 # the last buffer handed to the device reaches the file a moment later
python3 - "$WORK/heard.raw" <<'PY' || fail "the album did not play through without a gap"
import array, sys
samples = array.array("f", open(sys.argv[1], "rb").read())[0::2]
loud = [i for i, s in enumerate(samples) if abs(s) > 1e-6]
span = (loud[-1] - loud[0]) / 44100
run = longest = 0
for s in samples[loud[0]:loud[-1]]:
    run = run + 1 if abs(s) <= 1e-6 else 0
    longest = max(longest, run)
print("heard %.3f s, longest silence inside %d samples" % (span, longest))
sys.exit(0 if abs(span - 8.0) < 0.05 and longest < 100 else 1)
PY

# The album's Download button: both files, the .m4a as it is on the server.
timeout 5 sh -c "echo 'do album al-4' > '$PAD'" || fail "the pad script is not read"
wait_for 10 '[ "$(last_view)" = Album ]' || fail "album not opened: $(last_view)"
sleep 1
for _ in $(seq 1 8); do [ "$(focused)" = "Download|" ] && break; press Right; done
[ "$(focused)" = "Download|" ] || fail "no Download button focused"
press Cross
wait_for 30 'grep -q "^toast	Downloads\? complete" "$SONARIA_TEST_LOG"' || fail "the downloads did not complete"
OFFLINE_M4A=$(ls "$DATA_DIR"/offline/*.m4a 2>/dev/null | head -n1)
[ -s "$OFFLINE_M4A" ] || fail "no .m4a downloaded: $(ls "$DATA_DIR/offline")"
stop_app

# Offline: the downloaded .m4a plays from its file.
stop_server
: >"$SONARIA_TEST_LOG"
queue_of "$BURN"
start_app "$HOOKED"
press Start
wait_for 20 'grep -q "^play	$OFFLINE_M4A	" "$SONARIA_TEST_LOG"' || fail "the downloaded m4a did not play: $(grep '^play' "$SONARIA_TEST_LOG")"
stop_app

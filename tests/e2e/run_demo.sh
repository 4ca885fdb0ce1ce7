# What `make run` does on a machine with no account stored: scripts/run-demo starts the
# demo server, Sonaria opens one window with the login page filled in for it, Return
# signs in, and closing the window ends both.
source "$(dirname "$0")/common.bash"

# The demo library is generated on first use, once per machine; done here, so that the
# window wait below does not include it.
timeout 240 python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import subsonic_server as s; s.demo_media_dir()' \
    "$SOURCE_DIR/tests/server" \
    || fail "the demo library could not be generated"

start_display
export SONARIA_DEMO_PORT
SONARIA_DEMO_PORT=$(free_port)
# Every window created, mapped or destroyed on the screen.
stdbuf -oL xev -root -event substructure >"$WORK/windows.log" 2>&1 &
XEV_PID=$!
sleep 0.5

start_app bash "$SOURCE_DIR/scripts/run-demo" "$BUILD"
shot 1-login-filled-in
# One window, made once: a window of the app's size is created and mapped once. (SDL's
# OpenGL probe makes and drops a small unmapped window, which nobody sees.)
kill "$XEV_PID"
created=$(grep -A1 '^CreateNotify' "$WORK/windows.log" | grep -c 'width 1280, height 720')
mapped=$(grep -c '^MapNotify' "$WORK/windows.log")
[ "$created" -eq 1 ] && [ "$mapped" -eq 1 ] \
    || fail "start-up created $created and mapped $mapped windows: $(grep -A1 Notify "$WORK/windows.log")"

# Connect has the focus: Return alone signs in.
xdotool key Return
wait_for 20 '[ -s "$CONFIG" ]' || fail "config.json was not written"
sleep 1.5
shot 2-main
[ "$(json_field "$CONFIG" url)" = "http://127.0.0.1:$SONARIA_DEMO_PORT" ] || fail "url: $(json_field "$CONFIG" url)"
[ "$(json_field "$CONFIG" user)" = "demo" ] || fail "user: $(json_field "$CONFIG" user)"
[ "$(logo_brightness 2-main)" -gt 120 ] || fail "the main pages are not shown (logo area $(logo_brightness 2-main))"

# Closing the window ends Sonaria, and the script stops the demo server.
python3 "$SOURCE_DIR/tests/e2e/close_window.py" "$APP_WINDOW" || fail "could not ask the window to close"
wait_for 30 '! kill -0 "$APP_PID" 2>/dev/null' || fail "run-demo did not end with the window"
status=0
wait "$APP_PID" || status=$?
APP_PID=""
[ "$status" -eq 0 ] || fail "run-demo exited with status $status"
curl -s -o /dev/null "http://127.0.0.1:$SONARIA_DEMO_PORT/__test/info" && fail "the demo server outlived Sonaria"
echo "ok: screenshots in $SHOTS"

# Closing the window ends the process with status 0 and saves the store (the
# out-of-range volume of the saved settings comes back clamped).
source "$(dirname "$0")/common.bash"

start_display
mkdir -p "$DATA_DIR"
echo '{"volume": 1.7, "dark": false}' >"$CONFIG"
start_app "$APP"
shot 1-light-login

# What a window manager's close button sends (there is none on this display).
python3 "$SOURCE_DIR/tests/e2e/close_window.py" "$APP_WINDOW" || fail "could not ask the window to close"
status=0
wait_for 10 '! kill -0 "$APP_PID" 2>/dev/null' || fail "closing the window did not end the program"
wait "$APP_PID" || status=$?
APP_PID=""
[ "$status" -eq 0 ] || fail "exit status $status"
[ "$(json_field "$CONFIG" volume)" = "1" ] || fail "the store was not saved at exit: $(cat "$CONFIG")"
[ "$(json_field "$CONFIG" dark)" = "False" ] || fail "the store lost a setting: $(cat "$CONFIG")"
echo "ok"

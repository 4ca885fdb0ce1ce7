# Signing in with keys typed at an even pace, the next character following
# each Return at once: every character reaches its field. Ten sign-ins at the
# normal frame rate, then ten with every frame slowed down (the testing hook
# SONARIA_TEST_FRAME_DELAY_MS), so that a Return and the keys after it always
# arrive within one frame.
source "$(dirname "$0")/common.bash"

need_hooked
ROUNDS=${SIGN_IN_ROUNDS:-10}
PASSWORD='zap Tr1cky#word'
start_display
start_server 0 tester "$PASSWORD"

# The X key names that type TEXT (xdotool's "type" cannot send Return, so the
# whole sequence goes through one "key" command, 40 ms between all keys).
key_names() {
    python3 -c '
import sys
names = {".": "period", ":": "colon", " ": "space", "#": "numbersign", "/": "slash"}
print(" ".join(names.get(c, c) for c in sys.argv[1]))' "$1"
}
KEYS="Return $(key_names "127.0.0.1:$SERVER_PORT") Return $(key_names tester) Return $(key_names "$PASSWORD") Return"

# One sign-in from a fresh data directory: Return begins editing the address,
# each Return moves on to the next field, the last one connects.
sign_in() {
    local label=$1
    rm -rf "$DATA_DIR"
    : >"$SONARIA_TEST_LOG"
    "$HOOKED" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    wait_for 60 'grep -q "^view	Connect" "$SONARIA_TEST_LOG" 2>/dev/null' || fail "$label: no login page"
    # Let the focus settle on the address field.
    sleep 0.6
    # shellcheck disable=SC2086
    xdotool key --delay 40 $KEYS
    if ! wait_for 20 '[ -s "$CONFIG" ]'; then
        shot "failed-$label"
        server_requests | python3 -c '
import json, sys
for r in json.load(sys.stdin)["requests"]:
    print("  request:", r["endpoint"], dict(r["params"]).get("u"))' >&2
        fail "$label: not signed in"
    fi
    local url user salt token
    read -r url user salt token < <(python3 -c '
import json, sys
c = json.load(open(sys.argv[1]))
print(c["url"], c["user"], c["salt"], c["token"])' "$CONFIG")
    [ "$url" = "http://127.0.0.1:$SERVER_PORT" ] || fail "$label: url '$url'"
    [ "$user" = "tester" ] || fail "$label: user '$user'"
    [ "$token" = "$(printf '%s%s' "$PASSWORD" "$salt" | md5sum | cut -d' ' -f1)" ] ||
        fail "$label: the password lost a character"
    stop_app
}

for i in $(seq 1 "$ROUNDS"); do sign_in "normal-$i"; done
export SONARIA_TEST_FRAME_DELAY_MS=90
for i in $(seq 1 "$ROUNDS"); do sign_in "slow-$i"; done
echo "ok: $ROUNDS + $ROUNDS sign-ins in $SECONDS s"

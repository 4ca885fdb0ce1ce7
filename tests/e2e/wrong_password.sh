# A wrong password: the server's message is shown, nothing is stored.
source "$(dirname "$0")/common.bash"

start_display
start_server 0 tester right-password
start_app "$APP"

begin_editing
type_line "127.0.0.1:$SERVER_PORT"
type_line "tester"
type_line "wrong-password"

wait_for 10 'server_requests | grep -q "\"ping\""' || fail "no ping reached the server"
sleep 1
shot 1-failed

[ "$(logo_brightness 1-failed)" -lt 90 ] || fail "the main pages were built after a failed sign-in"
stop_app
# Shutdown saves the store: it holds no credentials and never the password.
[ -s "$CONFIG" ] || fail "config.json was not written at exit"
for key in url user salt token; do
    [ -z "$(json_field "$CONFIG" $key)" ] || fail "$key was stored: $(cat "$CONFIG")"
done
if grep -rqF "wrong-password" "$CADDIS_HOME"; then fail "the password was written"; fi
echo "ok: screenshots in $SHOTS"

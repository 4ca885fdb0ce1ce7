# Signing in with the keyboard alone: the fields, the stored credentials, the
# ping the server saw, the main pages, and a clean exit that keeps the store.
source "$(dirname "$0")/common.bash"

PASSWORD='Tr1cky pass#word'
start_display
start_server 0 tester "$PASSWORD"
start_app "$APP"
shot 1-login

# The address with blanks around it, no scheme and a trailing slash.
begin_editing
type_line "  127.0.0.1:$SERVER_PORT/ "
type_line "tester"
xdotool type --delay 20 "$PASSWORD"
shot 2-typed
xdotool key Return

wait_for 10 '[ -s "$CONFIG" ]' || fail "config.json was not written"
sleep 1.5
shot 3-main

[ "$(grep -c '' "$CONFIG")" -eq 14 ] || fail "config.json is not the 14-line form: $(cat "$CONFIG")"
[ "$(json_field "$CONFIG" url)" = "http://127.0.0.1:$SERVER_PORT" ] || fail "url: $(json_field "$CONFIG" url)"
[ "$(json_field "$CONFIG" user)" = "tester" ] || fail "user"
SALT=$(json_field "$CONFIG" salt)
TOKEN=$(json_field "$CONFIG" token)
[[ "$SALT" =~ ^[0-9a-f]{10}$ ]] || fail "salt '$SALT'"
EXPECTED=$(printf '%s%s' "$PASSWORD" "$SALT" | md5sum | cut -d' ' -f1)
[ "$TOKEN" = "$EXPECTED" ] || fail "token $TOKEN is not md5(password + salt) $EXPECTED"
if grep -rqF "$PASSWORD" "$CADDIS_HOME"; then fail "the password was written under the data directory"; fi

server_requests >"$WORK/requests.json"
python3 - "$WORK/requests.json" "$SALT" "$TOKEN" <<'PY' || fail "the server saw no matching ping"
import json, sys
requests = json.load(open(sys.argv[1]))["requests"]
pings = [dict(r["params"]) for r in requests if r["endpoint"] == "ping"]
assert len(pings) == 1, pings
p = pings[0]
assert p["u"] == "tester" and p["s"] == sys.argv[2] and p["t"] == sys.argv[3] and p["f"] == "json", p
assert "p" not in p, p
PY

[ "$(logo_brightness 1-login)" -lt 90 ] || fail "the login page shows the navigation rail"
[ "$(logo_brightness 3-main)" -gt 120 ] || fail "the main pages are not shown (logo area $(logo_brightness 3-main))"

stop_app
[ "$(json_field "$CONFIG" token)" = "$TOKEN" ] || fail "the store lost the credentials at exit"
echo "ok: screenshots in $SHOTS"

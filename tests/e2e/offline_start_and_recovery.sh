# Saved credentials and a server that is down at start: the offline page and the
# "Offline mode" toast; the server coming back is noticed by the silent ping. A state
# temporary left by a kill inside an atomic write is swept at start-up.
# Runs sonaria-testhooks with the controller's clock 30 times faster, so the
# 30 s retry comes after about a second.
source "$(dirname "$0")/common.bash"

need_hooked
export SONARIA_TEST_CLOCK_SCALE=30

PORT=$(free_port)
SALT=0123456789
TOKEN=$(printf '%s%s' demo "$SALT" | md5sum | cut -d' ' -f1)
mkdir -p "$DATA_DIR"
cat >"$CONFIG" <<JSON
{
  "url": "http://127.0.0.1:$PORT",
  "user": "demo",
  "salt": "$SALT",
  "token": "$TOKEN"
}
JSON
echo '{"songs":[' >"$DATA_DIR/queue.json.tmp"

start_display
start_app "$HOOKED"
wait_for 10 'grep -q "^toast	Offline mode	Couldn.t reach the server" "$SONARIA_TEST_LOG"' || fail "no offline toast"
grep -q "^view	Offline" "$SONARIA_TEST_LOG" || fail "the offline page was not selected"
[ -e "$DATA_DIR/queue.json.tmp" ] && fail "the state temporary was not swept at start-up"
grep -q "^view	Home" "$SONARIA_TEST_LOG" && fail "the home page was shown while offline"
shot 1-offline
# Several retries fail quietly while the server stays down.
sleep 3
[ "$(grep -c '^toast' "$SONARIA_TEST_LOG")" -eq 1 ] || fail "unexpected toasts while offline"

start_server "$PORT" demo demo
wait_for 20 'grep -q "^toast	Back online" "$SONARIA_TEST_LOG"' || fail "the recovery was not announced"
sleep 0.3
shot 2-back-online
server_requests | grep -q '"ping"' || fail "the server saw no ping"
stop_app
echo "ok: screenshots in $SHOTS"

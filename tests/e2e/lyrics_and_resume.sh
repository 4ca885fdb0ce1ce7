# Lyrics and the play queue on the server, with the keyboard: another client ("Feishin")
# saved a queue at 3 s into Dawn; after signing in, the toast "Resume from Feishin" is
# accepted with Triangle (S) and Now playing shows Dawn paused there (the program's own
# save carries that position). Playing on with the lyrics shown (S again), the highlighted
# line moves between two screenshots three seconds apart; quitting saves the queue again.
source "$(dirname "$0")/common.bash"

need_hooked

# save_as CLIENT ID... : a savePlayQueue as that client, current = the first id, at 3 s.
save_as() {
    local client=$1; shift
    local auth ids=""
    auth=$(curl -s "http://127.0.0.1:$SERVER_PORT/__test/info" | python3 -c '
import json, sys; d = json.load(sys.stdin); print("u=%s&t=%s&s=%s" % (d["user"], d["token"], d["salt"]))')
    for id in "$@"; do ids="$ids&id=$id"; done
    curl -sf "http://127.0.0.1:$SERVER_PORT/rest/savePlayQueue?$auth&v=1.16.1&c=$client&f=json$ids&current=$1&position=3000" \
        | grep -q '"ok"' || fail "savePlayQueue as $client failed"
}

# The saves the server holds from this program: "current position" per line.
our_saves() {
    curl -s "http://127.0.0.1:$SERVER_PORT/__test/state" | python3 -c '
import json, sys
for s in json.load(sys.stdin)["playQueueSaves"]:
    if s["changedBy"] == "Sonaria":
        print(s["current"], s["position"])'
}

# lyrics_crop NAME: the lyrics column of a screenshot, as a file for comparing.
lyrics_crop() {
    convert "$SHOTS/$1.png" -crop 560x520+140+110 +repage "$WORK/$1-lyrics.png"
}

start_display
start_server 0 demo demo --scale 8
save_as Feishin tr-1 tr-2 tr-3

start_app "$HOOKED"
type_demo_login
wait_for 15 '[ "$(last_view)" = Home ]' || fail "not signed in"
wait_for 10 'grep -q "^toast	Resume from Feishin	Dawn · 0:03" "$SONARIA_TEST_LOG"' || fail "no resume offer"
sleep 1
shot 1-offer

key s
wait_for 5 '[ "$(last_view)" = "Now playing" ]' || fail "accepting did not show Now playing"
wait_for 10 '[ -n "$(our_saves)" ]' || fail "the resumed queue was not saved"
read -r current position <<<"$(our_saves | tail -n1)"
[ "$current" = tr-1 ] || fail "resumed $current, not tr-1"
[ "$position" -ge 2500 ] && [ "$position" -le 3500 ] || fail "resumed at $position ms, not at 3000"
sleep 1
shot 2-resumed-paused

key space   # play on from 3 s
key s       # the lyrics
sleep 1.5
shot 3-lyrics
sleep 3
shot 4-lyrics-later
lyrics_crop 3-lyrics
lyrics_crop 4-lyrics-later
changed=$(compare -metric AE "$WORK/3-lyrics-lyrics.png" "$WORK/4-lyrics-later-lyrics.png" null: 2>&1 | cut -d' ' -f1)
[ "${changed%.*}" -gt 500 ] || fail "the lyrics did not move ($changed pixels changed)"

saves_before=$(our_saves | wc -l)
stop_app
[ "$(our_saves | wc -l)" -gt "$saves_before" ] || fail "quitting saved no queue"
read -r current position <<<"$(our_saves | tail -n1)"
[ "$position" -gt 5000 ] || fail "the quit save is at $position ms"
echo "ok: screenshots in $SHOTS"

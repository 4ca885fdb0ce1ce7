# The whole journey driven by a game controller alone (an SDL virtual pad of the
# testing build, fed through a FIFO): sign in (the three fields are typed), open an
# album, download it and watch its badges turn into check marks, play a song, read
# the storage line in Settings; then with the server stopped the program starts on
# the Offline page and plays a downloaded file; the server returns ("Back online");
# delete every download and log out, each through its dialog. Shots in both themes.
source "$(dirname "$0")/common.bash"

need_hooked
export SONARIA_TEST_CLOCK_SCALE=30
use_pad

# dump: logs the texts on screen and of the focused widget; prints them.
dump() {
    local before
    before=$(grep -c "^screen	" "$SONARIA_TEST_LOG" 2>/dev/null)
    timeout 5 sh -c "echo dump > '$PAD'" || fail "the pad script is not read"
    wait_for 10 '[ "$(grep -c "^screen	" "$SONARIA_TEST_LOG")" -gt '"$before"' ]' || fail "no dump"
    sleep 0.1
}
screen_text() { grep "^screen	" "$SONARIA_TEST_LOG" | tail -n1 | cut -f2; }
focus_text() { grep "^focus	" "$SONARIA_TEST_LOG" | tail -n1 | cut -f2; }
offline_count() {
    python3 -c 'import json, sys
try: print(len(json.load(open(sys.argv[1]))))
except Exception: print(0)' "$DATA_DIR/offline.json"
}

# focus_to PATTERN BUTTON [MAX]: presses BUTTON until the texts of the focused widget
# match the glob PATTERN (a control without texts shows "~" and its row's texts).
focus_to() {
    for _ in $(seq 1 "${3:-12}"); do
        dump
        # shellcheck disable=SC2254
        case "$(focus_text)" in $1) return 0 ;; esac
        press "$2"
    done
    fail "focus never reached '$1' (at '$(focus_text)')"
}

PORT=$(free_port)
# The handheld screen: the program starts full screen with the layout at 0.8.
start_display 640x480
start_server "$PORT" demo demo
start_app "$HOOKED"
grep -q "^pad	attached" "$SONARIA_TEST_LOG" || fail "no virtual pad: $(grep '^pad' "$SONARIA_TEST_LOG")"

# The login fields: Cross begins editing; the text is typed, Return moves on.
press Cross
type_line "127.0.0.1:$PORT"
type_line "demo"
xdotool type --delay 20 "demo"
xdotool key Return
wait_for 15 '[ "$(last_view)" = Home ]' || fail "not signed in"
sleep 2
dump
# The controller's names (Start), not the keyboard's (Space).
case "$(screen_text)" in *"|Start|Play/Pause|"*) ;; *) fail "the hint bar does not name the controller's buttons: $(screen_text)" ;; esac
shot 01-home-dark

# Keyboard presses are ignored while the controller is attached.
xdotool key Left Down Return
sleep 1
[ "$(last_view)" = Home ] || fail "the keyboard moved the program while a controller is attached"

# Albums (the second rail button), the first album. Up to the top of the rail
# first: where Left lands depends on the screen's layout.
press Left Up Up Up Up Down Cross
wait_for 5 '[ "$(last_view)" = Albums ]' || fail "Albums not shown: $(last_view)"
sleep 2
press Down
focus_to '*Deep Currents*' Right 6
press Cross
wait_for 5 '[ "$(last_view)" = Album ]' || fail "album not opened: $(last_view)"
sleep 2
focus_to 'Download|' Right
# Slow song downloads, so the progress rings can be seen.
curl -s -X POST -d '{"endpoint": "download", "times": 3, "throttleBytesPerSecond": 3000}' \
    "http://127.0.0.1:$PORT/__test/faults" >/dev/null || fail "no fault injection"
press Cross
sleep 2
shot 02-downloading
wait_for 60 'grep -q "^toast	Downloads\? complete" "$SONARIA_TEST_LOG"' || fail "the downloads did not complete"
SAVED=$(offline_count)
[ "$SAVED" -ge 2 ] || fail "only $SAVED songs saved"
sleep 1
shot 03-downloaded

# Play the first song of the album.
press Down
focus_to 'Undertow|*' Left 4
press Cross
wait_for 10 'grep -q "^play	" "$SONARIA_TEST_LOG"' || fail "nothing plays"
sleep 1
shot 04-playing

# Settings: the last rail button.
press Left
for _ in $(seq 1 9); do press Down; done
press Cross
wait_for 5 '[ "$(last_view)" = Settings ]' || fail "Settings not shown: $(last_view)"
sleep 1
dump
case "$(screen_text)" in *"Downloads: $SAVED songs · "*) ;; *) fail "no downloads line for $SAVED songs: $(screen_text)" ;; esac
shot 05-settings-dark
# Dark mode off (the first control): the rest runs in the light theme.
focus_to '~Dark mode*' Up
press Cross
sleep 1
shot 06-settings-light
[ "$(json_field "$CONFIG" dark)" = False ] || fail "dark mode was not saved off"
stop_app

# The server is down: the program starts on the Offline page and plays a downloaded file.
stop_server
: >"$SONARIA_TEST_LOG"
start_app "$HOOKED"
wait_for 10 'grep -q "^view	Offline" "$SONARIA_TEST_LOG"' || fail "the offline page was not selected"
sleep 1.5
dump
case "$(screen_text)" in *"$SAVED songs · "*) ;; *) fail "the offline page does not list $SAVED songs: $(screen_text)" ;; esac
shot 07-offline-light
focus_to '*Undertow|*' Down 4 # the first row or one of its buttons
focus_to 'Undertow|*' Left 4
press Cross
wait_for 10 'grep -q "^play	$DATA_DIR/offline/" "$SONARIA_TEST_LOG"' || fail "no downloaded file played: $(grep '^play' "$SONARIA_TEST_LOG")"
sleep 1
shot 08-offline-playing

# The server returns on the same port: the silent ping notices it.
start_server "$PORT" demo demo
wait_for 20 'grep -q "^toast	Back online" "$SONARIA_TEST_LOG"' || fail "no Back online"
sleep 0.5
shot 09-back-online

# Delete all downloads: the header's delete button, then "Delete" in the dialog.
focus_to '*Play all|*' Up 4
focus_to '~*Play all|*' Right 3 # the delete button
press Cross
sleep 0.8
dump
case "$(screen_text)" in *"Delete all downloads?"*) ;; *) fail "no dialog: $(screen_text)" ;; esac
shot 10-delete-dialog
focus_to 'Delete|' Right 3
press Cross
wait_for 10 'grep -q "^toast	Downloads deleted" "$SONARIA_TEST_LOG"' || fail "downloads not deleted"
[ "$(offline_count)" = 0 ] || fail "offline.json still lists songs"
ls "$DATA_DIR/offline" | grep -qv '\.part$' && fail "offline files left: $(ls "$DATA_DIR/offline")"
sleep 1
shot 11-deleted

# Log out from Settings through its dialog.
press Left
for _ in $(seq 1 9); do press Down; done
press Cross
wait_for 5 '[ "$(last_view)" = Settings ]' || fail "Settings not shown"
focus_to 'Log out|' Down 20
press Cross
sleep 0.8
dump
case "$(screen_text)" in *"Your downloads stay on this device."*) ;; *) fail "no log-out dialog: $(screen_text)" ;; esac
shot 12-logout-dialog
focus_to 'Log out|' Right 3
press Cross
wait_for 10 '[ "$(last_view)" = Connect ]' || fail "not on the login page: $(last_view)"
[ -z "$(json_field "$CONFIG" token)" ] || fail "the token is still stored"
sleep 1
shot 13-login

stop_app
echo "ok: screenshots in $SHOTS"

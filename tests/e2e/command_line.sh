# The command line: --help and --version print and exit 0 without a window, a bad
# argument is a one-line error plus the usage and exit status 2, and without any
# display the program says so and exits 1 unless a video driver was asked for.
source "$(dirname "$0")/common.bash"

# run NAME ARG...: the program without a display, its output in $WORK/NAME.out and .err.
run() {
    local name=$1; shift
    local status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 "$APP" "$@" \
        >"$WORK/$name.out" 2>"$WORK/$name.err" || status=$?
    echo "$status"
}
first_line() { head -n1 "$WORK/$1"; }

# name | arguments | status | file | its first line (a bash pattern)
while IFS='|' read -r name args status file line; do
    # shellcheck disable=SC2086 # the arguments are split on purpose
    got=$(run "$name" $args)
    [ "$got" = "$status" ] || fail "$name: exit status $got, expected $status: $(cat "$WORK/$name.err")"
    [[ "$(first_line "$file")" == $line ]] || fail "$name: $file begins '$(first_line "$file")'"
done <<'CASES'
help|--help|0|help.out|Usage: sonaria *
short-help|-h|0|short-help.out|Usage: sonaria *
version|--version|0|version.out|Sonaria [0-9]*.[0-9]*
unknown|--frobnicate|2|unknown.err|sonaria: unknown option '--frobnicate'
stray|music.mp3|2|stray.err|sonaria: unexpected argument 'music.mp3'
no-display||1|no-display.err|no display found
CASES

grep -q '^Usage: sonaria' "$WORK/unknown.err" || fail "a bad option does not show the usage"
[ ! -s "$WORK/help.err" ] && [ ! -s "$WORK/version.err" ] || fail "--help or --version wrote to stderr"
[ "$(wc -l <"$WORK/no-display.err")" -eq 1 ] || fail "more than the one line without a display"

# A driver the user asks for needs no display server: the program starts (and ends on SIGTERM).
status=0
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen timeout 10 "$APP" >"$WORK/driver.out" 2>&1 || status=$?
grep -q "no display found" "$WORK/driver.out" && fail "SDL_VIDEODRIVER=offscreen was refused"
[ "$status" -eq 0 ] || [ "$status" -eq 124 ] || fail "with SDL_VIDEODRIVER=offscreen: status $status: $(cat "$WORK/driver.out")"
echo "ok"

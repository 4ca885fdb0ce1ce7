#!/usr/bin/env bash
# Starts vell-gallery on its own Xvfb display, drives it with a few keys,
# takes a screenshot into the build directory, asks it to quit with SIGTERM
# (SDL turns that into a quit event) and expects exit status 0.
# Usage: gallery.sh <sonaria binary> <build dir>
set -u

build_dir="${2:?usage: gallery.sh <sonaria binary> <build dir>}"
gallery="$build_dir/vell-gallery"
shot="$build_dir/gallery-e2e.png"
[[ -x "$gallery" ]] || { echo "missing $gallery"; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
gallery_pid=""
cleanup() {
    [[ -n "$gallery_pid" ]] && kill -KILL "$gallery_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Let Xvfb pick a free display number and report it.
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export SDL_AUDIODRIVER=dummy
# Under AddressSanitizer: the X11 and D-Bus libraries SDL loads keep allocations
# until exit and lack frame pointers, so leaks cannot be told apart from ours
# here; the unit suites check our code for leaks.
export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

"$gallery" >"$work/gallery.log" 2>&1 &
gallery_pid=$!

# Poll rather than --sync: a search racing SDL's window set-up can die on BadWindow.
found=""
for _ in $(seq 100); do
    if xdotool search --name "VellUI Gallery" >/dev/null 2>&1; then
        found=1
        break
    fi
    kill -0 "$gallery_pid" 2>/dev/null || break
    sleep 0.2
done
if [[ -z "$found" ]]; then
    echo "gallery window did not appear"
    cat "$work/gallery.log"
    exit 1
fi

# Mean brightness of the screen (0 = black).
screen_mean() {
    import -window root "$shot" 2>/dev/null || { echo 0; return; }
    convert "$shot" -colorspace Gray -format '%[fx:mean]' info:
}
# Wait for the first drawn frame (slow under sanitizers).
for _ in $(seq 120); do
    awk -v m="$(screen_mean)" 'BEGIN { exit !(m > 0.05) }' && break
    sleep 0.5
done

press() {
    xdotool key "$1"
    sleep 0.3
}
press Down
press Down
press Right
press Return
press s # Triangle: switch to the light theme
press Left
press Left
press Up
sleep 0.5
# A blank (all black) screen means nothing was drawn.
mean="$(screen_mean)"
if ! awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }'; then
    echo "screenshot looks blank (mean $mean)"
    exit 1
fi

kill -TERM "$gallery_pid"
status=0
if ! timeout 60 tail --pid="$gallery_pid" -f /dev/null; then
    echo "gallery did not exit after SIGTERM"
    exit 1
fi
wait "$gallery_pid"
status=$?
gallery_pid=""
if [[ "$status" -ne 0 ]]; then
    echo "gallery exited with status $status"
    cat "$work/gallery.log"
    exit 1
fi
echo "gallery ok, screenshot $shot"

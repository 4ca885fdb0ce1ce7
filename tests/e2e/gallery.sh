#!/usr/bin/env bash
# Starts vell-gallery on its own Xvfb display, drives it with a few keys,
# takes a screenshot, asks it to quit with SIGTERM (SDL turns that into a quit
# event) and expects exit status 0.
# Usage: gallery.sh <sonaria binary> <build dir>
source "$(dirname "$0")/common.bash"

GALLERY="$BUILD/vell-gallery"
[[ -x "$GALLERY" ]] || fail "missing $GALLERY"

start_display
APP_TITLE="VellUI Gallery" start_app "$GALLERY"

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
shot gallery
# A blank (all black) screen means nothing was drawn.
mean=$(convert "$SHOTS/gallery.png" -colorspace Gray -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }' || fail "screenshot looks blank (mean $mean)"

stop_app
echo "ok: screenshot in $SHOTS"

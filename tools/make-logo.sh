#!/usr/bin/env bash
# Regenerates data/logo.png, Sonaria's logo: a lilac disc with three sound bars.
set -euo pipefail
out=${1:-"$(dirname "$0")/../data/logo.png"}
convert -size 128x128 xc:none \
  -fill '#c6c1f0' -draw 'circle 64,64 64,4' \
  -fill '#251e2e' \
  -draw 'roundrectangle 34,48 48,80 7,7' \
  -draw 'roundrectangle 57,30 71,98 7,7' \
  -draw 'roundrectangle 80,42 94,86 7,7' \
  -strip "$out"

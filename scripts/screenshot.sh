#!/usr/bin/env bash
# Starts the real program under a virtual X display, types the given keys
# (xdotool key names, e.g. "alt+h a"), and saves the screen as a PNG.
#   scripts/screenshot.sh OUT.png "KEYS" [SECONDS]
# Needs xvfb, xdotool and ImageMagick (apt-get install xvfb xdotool imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
keys=${2:-}
wait=${3:-3}
export SCREENSHOT_OUT=$(realpath -m "$out") SCREENSHOT_KEYS=$keys SCREENSHOT_WAIT=$wait
xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '
  QT_QPA_PLATFORM=xcb build/bin/loto6kermon & pid=$!
  sleep "$SCREENSHOT_WAIT"
  w=$(xdotool search --name "ロト6ケルモンLite" | head -1); xdotool windowfocus "$w" 2>/dev/null || true
  for k in $SCREENSHOT_KEYS; do xdotool key --delay 150 "$k"; sleep 0.6; done
  sleep 1
  /usr/bin/import -window root "$SCREENSHOT_OUT"
  kill $pid'

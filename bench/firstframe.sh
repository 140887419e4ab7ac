#!/usr/bin/env bash
# First frame under Xvfb, as whole-process wall time: a bare Qt Widgets
# window against the program's start-up with the prediction window showing
# (both probes end the process at that frame), run in turns (bench/paired.py).
# Run from the repository root after a build; extra arguments go to paired.py.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(pwd)/build/bin
paired=$(pwd)/bench/paired.py
export BIN=$bin PAIRED=$paired PAIRED_ARGS="$*"
# The working directory holds no options file: both start from the defaults.
# -noreset: each probe is the X server's only client, and without it the
# server resets as the probe ends (a new keymap compiled among the rest),
# which the next probe's connection waits for. That is about 20 ms of the
# server's work inside every run of both probes; a desktop's X server, with
# its other clients, never does it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# The database key is remembered here by the warm-up runs, as by a user's
# first start: the timed runs are the starts after it.
export XDG_CACHE_HOME=$work/cache
xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" bash -c '
  export QT_QPA_PLATFORM=xcb
  python3 "$PAIRED" --runs 40 $PAIRED_ARGS --label-a barewindow --label-b startprobe "$BIN/barewindow" "$BIN/startprobe"' 2>&1 | grep -v XDG_RUNTIME_DIR

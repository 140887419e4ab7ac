#!/usr/bin/env bash
# First frame under Xvfb, as whole-process wall time: a bare Qt Widgets
# window against the program's start-up with the prediction window showing
# (both probes end the process at that frame). Run from the repository root
# after a build; extra arguments go to hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(pwd)/build/bin
export BIN=$bin HYPERFINE_ARGS="$*"
# The working directory holds no options file: both start from the defaults.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '
  export QT_QPA_PLATFORM=xcb
  hyperfine -N --warmup 3 --runs 20 $HYPERFINE_ARGS "$BIN/barewindow" "$BIN/startprobe"' 2>&1 | grep -v XDG_RUNTIME_DIR

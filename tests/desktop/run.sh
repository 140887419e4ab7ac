#!/usr/bin/env bash
# Runs a window test on a virtual X screen of the given size, with a window
# manager (openbox) as on a person's desktop:
#   run.sh WIDTHxHEIGHT TEST-PROGRAM [TEST ARGUMENTS...]
# Exits 77 (skipped) where the tools are missing or no X server starts.
set -u
size=$1
shift
for tool in xvfb-run Xvfb xauth openbox xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done

started=$(mktemp)
trap 'rm -f "$started"' EXIT
export DESKTOP_STARTED=$started
xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" bash -c '
  echo started > "$DESKTOP_STARTED"
  # Openbox runs its start-up command once it manages the screen.
  ready="$DESKTOP_STARTED.wm"
  openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 300); do [ -e "$ready" ] && break; sleep 0.1; done
  rm -f "$ready"
  QT_QPA_PLATFORM=xcb "$@"
  status=$?
  kill "$wm" 2>/dev/null
  wait "$wm" 2>/dev/null
  exit $status
' desktop "$@"
status=$?
if [ ! -s "$started" ]; then
  echo "SKIP: no X server could be started"
  exit 77
fi
exit $status

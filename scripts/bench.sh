#!/usr/bin/env bash
# Builds and runs the benchmarks: Google Benchmark for the store, the windows
# and the prediction, then whole-process timings of the command-line tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if ! command -v hyperfine >/dev/null 2>&1; then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq hyperfine
fi
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
for b in build/bin/bench_*; do
  echo "== $(basename "$b")"
  "$b"
done
hyperfine --warmup 2 \
  'build/bin/loto6kermon-cli summary' \
  'build/bin/loto6kermon-cli export 出現頻度分析' \
  'build/bin/loto6kermon-cli export バラツキ分析'
hyperfine --warmup 1 \
  'build/bin/loto6kermon-cli backtest --reflect 1,5' \
  'build/bin/loto6kermon-cli backtest --search'

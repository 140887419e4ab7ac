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
# 当選データ取込 of ten new draws into a fresh copy of the bundled history,
# preview to committed transaction, as a whole process.
work=$(mktemp -d)
printf '回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n' > "$work/ten.csv"
for n in $(seq 2131 2140); do printf '%s,1,2,3,4,5,6,7\n' "$n" >> "$work/ten.csv"; done
hyperfine --warmup 2 --prepare "cp build/bin/Loto6Kermon.mdb $work/copy.mdb" \
  "build/bin/loto6kermon-cli import $work/ten.csv --db $work/copy.mdb"
rm -rf "$work"

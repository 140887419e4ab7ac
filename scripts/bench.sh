#!/usr/bin/env bash
# Builds and runs the benchmarks: Google Benchmark for the store, the windows,
# the prediction and the exports, then whole-process timings (hyperfine, and
# bench/paired.py for the ratios: two commands run in turns, medians):
# exports, both first frames under
# Xvfb, and memory with every window open on 2130 and 30 000 draws.
#
# Debian 12's libbenchmark (1.7.1) is compiled without NDEBUG and prints
# "Library was built as DEBUG" whatever our build type is; our own code is
# built RelWithDebInfo (-O2 -DNDEBUG), and the timed loop is inlined from the
# library's header into that code.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if ! command -v hyperfine >/dev/null 2>&1; then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq hyperfine
fi
scripts/build.sh
bin=$(pwd)/build/bin
cli=$bin/loto6kermon-cli
db=$bin/Loto6Kermon.mdb
export QT_QPA_PLATFORM=offscreen
for b in "$bin"/bench_*; do
  echo "== $(basename "$b")"
  "$b"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 30 000 generated draws, through create-db as users make a database.
python3 - "$work/draws30000.csv" <<'PY'
import random, sys
random.seed(20261207)
with open(sys.argv[1], 'w') as f:
    f.write('回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n')
    for n in range(1, 30001):
        drawn = random.sample(range(1, 44), 7)
        f.write(','.join(map(str, [n] + sorted(drawn[:6]) + drawn[6:])) + '\n')
PY
mkdir -p "$work/draws30000" "$work/draws2130"
"$cli" create-db --from-csv "$work/draws30000.csv" --db "$work/draws30000/Loto6Kermon.mdb"
cp "$db" "$work/draws2130/"

echo "== exports (whole process)"
hyperfine -N --warmup 2 --export-markdown "$work/exports.md" \
  "$cli summary --db $db" \
  "$cli export 出現頻度分析 --db $db" \
  "$cli export 分割11データ分析 --db $db" \
  "$cli export --all --format json --db $db"
# The ratios the speed work aims at, each from runs in turns (bench/paired.py):
# every table in one process against a plain Python script computing the
# same tables (bench/tables.py, byte-identical output), and the largest
# window's export against the whole process of `summary`.
echo "== export --all (A) against python3 bench/tables.py (B): B / A is how many times faster"
python3 bench/paired.py --runs 10 --warmup 1 --label-a export-all --label-b tables.py \
  "$cli export --all --format json --db $db" "python3 bench/tables.py data/loto6-history.csv"
echo "== summary (A) against one window's export (B)"
python3 bench/paired.py --runs 30 --label-a summary --label-b 分割11 \
  "$cli summary --db $db" "$cli export 分割11データ分析 --db $db"

echo "== peak memory of one export at 30 000 draws (KB)"
for w in $("$cli" list); do
  /usr/bin/time -f "%M $w" "$cli" export "$w" --db "$work/draws30000/Loto6Kermon.mdb" >/dev/null
done 2>&1 | sort -n | tail -3

echo "== first frame under Xvfb: bare window against the prediction window"
bench/firstframe.sh

echo "== every window open (resident memory)"
"$bin/allwindows" "$work/draws2130"
"$bin/allwindows" "$work/draws30000"

echo "== printed pages of the largest table (PDF)"
# The printed pages of the largest table, as the command-line tool writes
# them; /usr/bin/time -v gives the peak memory ("Maximum resident set size").
hyperfine --warmup 1 --runs 5 "$cli render バラツキ分析 --pdf $work/bench.pdf --db $db"
/usr/bin/time -v "$cli" render バラツキ分析 --pdf "$work/bench.pdf" --db "$db" 2>&1 \
  | grep -E 'pages|Maximum resident|Elapsed'

echo "== walk-forward test of the predictions (targets 101 … 2130)"
hyperfine --warmup 1 "$cli backtest --reflect 1,5 --db $db" "$cli backtest --search --db $db"

echo "== 当選データ取込: ten new draws into a fresh copy of the bundled history (whole process)"
printf '回数,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,ボーナス数字\n' > "$work/ten.csv"
for n in $(seq 2131 2140); do printf '%s,1,2,3,4,5,6,7\n' "$n" >> "$work/ten.csv"; done
hyperfine --warmup 2 --prepare "cp $db $work/import.mdb" "$cli import $work/ten.csv --db $work/import.mdb"

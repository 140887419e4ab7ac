#!/usr/bin/env python3
"""What a hobbyist writes instead of the program: the analysis tables of the
draw history in plain Python, every window in one process, printed as JSON
in the command-line tool's shape. The tables are of the same sizes and kinds
(per-draw rows of counts, intervals, sums and divisions, coloured cells) but
not cell-exact; scripts/bench.sh times it against `export --all`.

usage: tables.py HISTORY.csv > all.json
"""
import csv
import json
import sys


def cell(c, r, text, fg=0, bg=0xFFFFFF, align="center"):
    return {"c": c, "r": r, "text": str(text), "fg": "#%06X" % fg, "bg": "#%06X" % bg, "align": align}


def grid(name, cols, rows, cells):
    return {"window": name, "caption": name, "columns": cols, "rows": rows,
            "frozenRows": 1, "frozenColumns": 1, "cells": cells}


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        rows = list(csv.reader(f))[1:]
    draws = []
    for row in rows:
        nums = [int(x) for x in row[-7:]]
        draws.append((int(row[0]), nums[:6], nums[6]))
    out = []

    # Frequency by number and by blocks of draws.
    total = [0] * 44
    freq = []
    for n, main_nums, bonus in draws:
        for x in main_nums + [bonus]:
            total[x] += 1
    for k in range(1, 44):
        freq.append(cell(1, k + 1, k, fg=0x0000FF, bg=0xDEFEFD))
        for b in range(400):
            seen = sum(1 for n, m, _ in draws[b::400] if k in m)
            if seen:
                freq.append(cell(b + 2, k + 1, seen, fg=0xFF0000 if seen > 2 else 0))
    out.append(grid("出現頻度分析", 401, 45, freq))
    by_count = {}
    for k in range(1, 44):
        by_count.setdefault(total[k], []).append(str(k))
    out.append(grid("回数別出現分析", 2, len(by_count) + 1,
                    [cell(1, i + 2, t) for i, t in enumerate(sorted(by_count))]
                    + [cell(2, i + 2, ",".join(by_count[t])) for i, t in enumerate(sorted(by_count))]))

    # Per-draw tables: intervals since each number's last draw, gaps between
    # the numbers, repeats from the previous draw, sums, patterns, divisions.
    last = [0] * 44
    tables = {name: [] for name in (
        "出現間隔分析", "数字間隔分析", "出現回数分析", "バラツキ分析", "引っ張り分析", "連番飛び石分析",
        "数字合計分析", "低数字高数字の組合せパターン分析", "偶数奇数の組合せパターン分析", "分割5傾向分析",
        "分割6データ分析", "分割7データ分析", "分割11データ分析", "下一桁出現傾向分析", "下一桁連続出現回数分析")}
    prev = []
    for r, (n, m, bonus) in enumerate(draws, start=2):
        gaps = [n - last[x] for x in m]
        for x in m + [bonus]:
            last[x] = n
        t = tables
        t["出現間隔分析"] += [cell(1, r, n)] + [cell(i + 2, r, g, bg=0xFFFFC8 if g > 10 else 0xFFFFFF) for i, g in enumerate(gaps)]
        t["数字間隔分析"] += [cell(1, r, n)] + [cell(i + 2, r, m[i + 1] - m[i]) for i in range(5)]
        t["出現回数分析"] += [cell(1, r, n)] + [cell(i + 2, r, total[x]) for i, x in enumerate(m)]
        t["バラツキ分析"] += [cell(1, r, n)] + [cell(x + 1, r, "●", fg=0x3E9EFF) for x in m] + [cell(bonus + 1, r, "●", fg=0xFF80C0)]
        t["引っ張り分析"] += [cell(1, r, n), cell(2, r, len(set(m) & set(prev)))]
        consecutive = sum(1 for i in range(5) if m[i + 1] - m[i] == 1)
        skip = sum(1 for i in range(5) if m[i + 1] - m[i] == 2)
        t["連番飛び石分析"] += [cell(1, r, n), cell(2, r, consecutive), cell(3, r, skip)] + [cell(i + 4, r, x) for i, x in enumerate(m)]
        t["数字合計分析"] += [cell(1, r, n), cell(2, r, sum(m))] + [cell(i + 3, r, x) for i, x in enumerate(m)]
        low = sum(1 for x in m if x <= 21)
        odd = sum(1 for x in m if x % 2)
        t["低数字高数字の組合せパターン分析"] += [cell(1, r, n)] + [cell(low + 2, r, "%d:%d" % (low, 6 - low), bg=0xC8FFC8)] + [cell(i + 5, r, x) for i, x in enumerate(m)]
        t["偶数奇数の組合せパターン分析"] += [cell(1, r, n)] + [cell(odd + 2, r, "%d:%d" % (odd, 6 - odd), bg=0xC8FFFF)] + [cell(i + 5, r, x) for i, x in enumerate(m)]
        for name, parts in (("分割5傾向分析", 5), ("分割6データ分析", 6), ("分割7データ分析", 7), ("分割11データ分析", 11)):
            width = (43 + parts - 1) // parts
            counts = [0] * parts
            for x in m:
                counts[(x - 1) // width] += 1
            t[name] += [cell(1, r, n)] + [cell(x + 1, r, x, bg=0xFFC8C8 if counts[(x - 1) // width] > 1 else 0xFFFFFF) for x in m] \
                + [cell(45 - parts + i, r, c) for i, c in enumerate(counts) if c]
        digits = [x % 10 for x in m]
        t["下一桁出現傾向分析"] += [cell(1, r, n)] + [cell(d + 2, r, digits.count(d)) for d in set(digits)]
        t["下一桁連続出現回数分析"] += [cell(1, r, n)] + [cell(d + 2, r, 1) for d in set(digits) if d in [p % 10 for p in prev]]
        prev = m
    for name, cells in tables.items():
        out.append(grid(name, 45, len(draws) + 1, cells))

    sys.stdout.write("[\n")
    sys.stdout.write(",\n".join(
        json.dumps({k: v for k, v in g.items() if k != "cells"}, ensure_ascii=False)[:-1] + ', "cells": [\n  '
        + ",\n  ".join(json.dumps(c, ensure_ascii=False) for c in g["cells"]) + "\n]}"
        for g in out))
    sys.stdout.write("\n]\n")


if __name__ == "__main__":
    main()

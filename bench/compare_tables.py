#!/usr/bin/env python3
"""Compares two `export --all --format json` outputs (for example the
program's and bench/tables.py's) window by window and cell by cell, and
prints per window how many cells are identical, with the first differences.

usage: compare_tables.py OURS.json OTHER.json [--show N]
"""
import json
import sys


def grids(doc):
    for window in doc:
        if "grids" in window:
            for g in window["grids"]:
                yield "%s/%s" % (window["window"], g["caption"]), window, g
        else:
            yield window["window"], window, window


def main():
    ours = {name: (w, g) for name, w, g in grids(json.load(open(sys.argv[1], encoding="utf-8")))}
    other = {name: (w, g) for name, w, g in grids(json.load(open(sys.argv[2], encoding="utf-8")))}
    show = int(sys.argv[sys.argv.index("--show") + 1]) if "--show" in sys.argv else 3
    for name, (w, g) in ours.items():
        if name not in other:
            print("%s: missing" % name)
            continue
        w2, g2 = other[name]
        heads = [k for k in g if k != "cells" and g.get(k) != g2.get(k)]
        heads += [k for k in w if k not in ("cells", "grids") and w.get(k) != w2.get(k)]
        a = {(c["c"], c["r"]): c for c in g["cells"]}
        b = {(c["c"], c["r"]): c for c in g2["cells"]}
        same = sum(1 for k, c in a.items() if b.get(k) == c)
        print("%s: %d / %d identical (other has %d)%s" % (
            name, same, len(a), len(b), "; header differs: " + ", ".join(heads) if heads else ""))
        shown = 0
        for k in sorted(set(a) | set(b), key=lambda k: (k[1], k[0])):
            if a.get(k) != b.get(k) and shown < show:
                print("   ours ", a.get(k))
                print("   other", b.get(k))
                shown += 1


if __name__ == "__main__":
    main()

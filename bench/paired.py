#!/usr/bin/env python3
"""Whole-process wall time of two commands run in turns (A, B, A, B, ...),
so that whatever else the machine does at a moment weighs on both alike.
Prints each command's median and the median of the per-pair ratios B / A.

usage: paired.py [--runs N] [--warmup N] [--label-a X] [--label-b Y] "COMMAND A" "COMMAND B"
"""
import argparse
import shlex
import statistics
import subprocess
import sys
import time


def once(command):
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = (time.perf_counter() - start) * 1000
    if done.returncode != 0:
        sys.exit("failed (%d): %s" % (done.returncode, " ".join(command)))
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--label-a")
    parser.add_argument("--label-b")
    parser.add_argument("a")
    parser.add_argument("b")
    args = parser.parse_args()
    a, b = shlex.split(args.a), shlex.split(args.b)
    for _ in range(args.warmup):
        once(a)
        once(b)
    times_a, times_b = [], []
    for _ in range(args.runs):
        times_a.append(once(a))
        times_b.append(once(b))
    median_a, median_b = statistics.median(times_a), statistics.median(times_b)
    ratio = statistics.median(tb / ta for ta, tb in zip(times_a, times_b))
    print("%-12s median %8.1f ms  (min %.1f, max %.1f)" % (args.label_a or "A", median_a, min(times_a), max(times_a)))
    print("%-12s median %8.1f ms  (min %.1f, max %.1f)" % (args.label_b or "B", median_b, min(times_b), max(times_b)))
    print("B / A: median of %d paired ratios %.2f (ratio of medians %.2f)" % (args.runs, ratio, median_b / median_a))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""What a hobbyist writes instead of the program: every table of the program
in plain Python, computed in one process from the CSV of the draw history.

It builds the same eighteen tables as `loto6kermon-cli export --all --format
json` (the prediction 一発ケルモン予想 with no analysis reflected, then the
seventeen analysis windows), cell for cell: texts, text and background
colours and alignment, and prints them in the same JSON shape, so the output
can be compared with the program's own byte for byte.

It is written the way a careful hobbyist would write it: standard library
only, one function per window, each computed directly from the list of draws
with ordinary lists and dicts, no tricks to make it fast or slow.
scripts/bench.sh times it against `export --all` as the yardstick of the
program's speed.

usage: tables.py HISTORY.csv > all.json
"""
import csv
import json
import sys

# Colours as 0xRRGGBB.
BLACK = 0x000000
WHITE = 0xFFFFFF
RED = 0xFF0000
BLUE = 0x0000FF
LIGHT_YELLOW = 0xFFFFC8    # (255, 255, 200)
PINK = 0xFFC8C8            # (255, 200, 200)
CYAN = 0xC8FFFF            # (200, 255, 255)
PALE_CYAN = 0xDEFEFD       # (222, 254, 253)
GREEN = 0xC8FFC8           # (200, 255, 200)
MAGENTA = 0xFFC8FF         # (255, 200, 255)
LAVENDER = 0xC8C8FF        # (200, 200, 255)
GREY = 0xE1E1E1            # (225, 225, 225)
SHADE = 0xD2D2D2           # (210, 210, 210)
MAIN_DOT = 0x3E9EFF        # (62, 158, 255)
BONUS_DOT = 0xFF80C0       # (255, 128, 192)

DOT = "●"


class Sheet:
    """A grid of cells addressed (column, row) from 1, each with a text,
    a text colour, a background colour and a horizontal alignment."""

    def __init__(self, cols, rows, frozen_rows=0, frozen_cols=0):
        self.cols = cols
        self.rows = rows
        self.frozen_rows = frozen_rows
        self.frozen_cols = frozen_cols
        self.text = [[""] * (cols + 1) for _ in range(rows + 1)]
        self.fg = [[BLACK] * (cols + 1) for _ in range(rows + 1)]
        self.bg = [[WHITE] * (cols + 1) for _ in range(rows + 1)]
        self.align = [["center"] * (cols + 1) for _ in range(rows + 1)]

    def inside(self, c, r):
        return 1 <= c <= self.cols and 1 <= r <= self.rows

    def put(self, c, r, text, align=None):
        # Anything written outside the grid is simply not shown.
        if self.inside(c, r):
            self.text[r][c] = str(text)
            if align:
                self.align[r][c] = align

    def paint(self, c1, r1, c2, r2, fg=None, bg=None, align=None):
        for r in range(max(r1, 1), min(r2, self.rows) + 1):
            for c in range(max(c1, 1), min(c2, self.cols) + 1):
                if fg is not None:
                    self.fg[r][c] = fg
                if bg is not None:
                    self.bg[r][c] = bg
                if align is not None:
                    self.align[r][c] = align

    def cell(self, c, r, fg=None, bg=None, align=None):
        self.paint(c, r, c, r, fg, bg, align)

    def json_members(self, caption):
        head = '"caption": %s, "columns": %d, "rows": %d, "frozenRows": %d, "frozenColumns": %d, "cells": [' % (
            json.dumps(caption, ensure_ascii=False), self.cols, self.rows, self.frozen_rows, self.frozen_cols)
        cells = []
        for r in range(1, self.rows + 1):
            for c in range(1, self.cols + 1):
                text, fg, bg = self.text[r][c], self.fg[r][c], self.bg[r][c]
                if text == "" and fg == BLACK and bg == WHITE:
                    continue
                cells.append('{"c": %d, "r": %d, "text": %s, "fg": "#%06X", "bg": "#%06X", "align": "%s"}' % (
                    c, r, json.dumps(text, ensure_ascii=False), fg, bg, self.align[r][c]))
        if not cells:
            return head + "]"
        return head + "\n  " + ",\n  ".join(cells) + "\n]"


def window_json(name, caption, sheet):
    return '{"window": %s, %s}' % (json.dumps(name, ensure_ascii=False), sheet.json_members(caption))


# ---------------------------------------------------------------------------
# The draw history

NUMBER_FIELDS = ["第1数字", "第2数字", "第3数字", "第4数字", "第5数字", "第6数字", "ボーナス数字"]


class History:
    """Every record of the CSV in draw order, the complete ones (all seven
    numbers present) as (draw number, [six main numbers], bonus), and the
    per-number totals over the complete draws."""

    def __init__(self, path):
        self.records = []        # (draw number, seven numbers or None)
        with open(path, encoding="utf-8", newline="") as f:
            reader = csv.reader(f)
            header = next(reader, [])
            columns = [header.index(name) for name in NUMBER_FIELDS]
            draw_column = header.index("回数")
            for row in reader:
                if not row:
                    continue
                fields = [row[i].strip() if i < len(row) else "" for i in columns]
                if all(fields):
                    self.records.append((int(row[draw_column]), [int(x) for x in fields]))
                else:
                    self.records.append((int(row[draw_column]), None))
        self.records.sort(key=lambda rec: rec[0])
        self.draws = [(n, nums[:6], nums[6]) for n, nums in self.records if nums is not None]
        self.last_draw_no = self.draws[-1][0] if self.draws else 0
        self.totals = [0] * 44
        for n, main, bonus in self.draws:
            for v in main + [bonus]:
                self.totals[v] += 1


# ---------------------------------------------------------------------------
# The analysis windows

def appearance_frequency(h):
    high = max(h.totals[1:])
    last = high + 2
    s = Sheet(last, 45, frozen_rows=2, frozen_cols=1)
    s.paint(2, 1, last, 1, bg=LIGHT_YELLOW)
    s.cell(26, 1, fg=RED, align="left")
    s.paint(1, 1, 1, 45, fg=BLUE, bg=PALE_CYAN)
    s.paint(last, 1, last, 45, fg=BLUE, bg=PALE_CYAN)
    s.paint(2, 2, last - 1, 2, fg=RED, bg=LIGHT_YELLOW)
    s.put(26, 1, "出 　現 　頻 　度（回）")
    for n in range(1, 44):
        s.put(1, n + 2, n)
        s.put(last, n + 2, n)
    s.put(1, 2, "数字")
    s.put(last, 2, "数字")
    seen = [0] * 44
    for n, main, bonus in h.draws:
        for v in main + [bonus]:
            s.put(seen[v] + 2, 2, seen[v] + 1)
        for v in main:
            s.put(seen[v] + 2, v + 2, DOT)
            s.cell(seen[v] + 2, v + 2, fg=MAIN_DOT)
        s.put(seen[bonus] + 2, bonus + 2, DOT)
        s.cell(seen[bonus] + 2, bonus + 2, fg=BONUS_DOT)
        for v in main + [bonus]:
            seen[v] += 1
    return s


def numbers_by_count(h):
    groups = {}
    for n in range(1, 44):
        groups.setdefault(h.totals[n], []).append(str(n))
    rows = len(groups) + 1 if h.draws else 0
    s = Sheet(2, rows)
    s.paint(1, 2, 1, rows, bg=LIGHT_YELLOW)
    s.cell(1, 1, bg=PINK)
    s.cell(2, 1, bg=PINK)
    s.paint(2, 2, 2, rows, fg=BLUE, align="left")
    s.put(1, 1, "出 現")
    s.put(2, 1, "数 字")
    for j, total in enumerate(sorted(groups), start=2):
        s.put(1, j, "%d回" % total)
        s.put(2, j, ",".join(groups[total]))
    return s


def interval_layout(h, band_texts, title_text):
    """The shared table of the appearance- and number-interval windows:
    a caption pair at the top and the same pair mirrored at the foot."""
    last = h.last_draw_no + 4
    s = Sheet(15, last)
    s.paint(1, 1, 1, last, fg=RED, bg=LIGHT_YELLOW)
    for k in range(1, 8):
        s.paint(2 * k, 3, 2 * k, last, bg=CYAN)
    for r, foot in ((1, 0), (h.last_draw_no + 3, 1)):
        band, title = r + foot, r + 1 - foot
        s.paint(2, r, 15, r + 1, fg=BLACK, bg=PINK)
        s.put(7, band, band_texts[0], align="left")
        s.put(14, band, band_texts[1], align="left")
        s.put(1, title, "回数")
        for p in range(1, 7):
            s.put(2 * p, title, "第%d数字" % p)
        s.put(14, title, "ボ数字")
        for p in range(1, 8):
            s.put(2 * p + 1, title, title_text)
    return s


def appearance_interval(h):
    s = interval_layout(h, ("    当 選 数 字     ", "　　　ボ数字   "), "出現")
    last_seen = {}     # number -> draw number of its latest appearance
    row = 3
    for n, nums in h.records:
        if nums is not None:
            s.put(1, row, n)
            for p, x in enumerate(nums, start=1):
                s.put(2 * p, row, x)
            for p, x in enumerate(nums, start=1):
                if x in last_seen:
                    s.put(2 * p + 1, row, "%d回前" % (n - last_seen[x]))
                else:
                    s.put(2 * p + 1, row, "初回")
            for x in nums:
                last_seen[x] = n
        row += 1
    return s


def number_interval(h):
    s = interval_layout(h, ("    本 数 字     ", "     ボ数字   　   "), "差分")
    previous = [0] * 7
    row = 3
    for n, nums in h.records:
        if nums is not None:
            s.put(1, row, n)
            for p, x in enumerate(nums, start=1):
                s.put(2 * p, row, x)
            if row > 3:
                for p, x in enumerate(nums, start=1):
                    d = x - previous[p - 1]
                    if d > 0:
                        s.put(2 * p + 1, row, "+%d" % d)
                    elif d < 0:
                        s.cell(2 * p + 1, row, bg=MAGENTA)
                        s.put(2 * p + 1, row, d)
                    else:
                        s.put(2 * p + 1, row, "0")
            previous = list(nums)
        row += 1
    return s


def appearance_count(h):
    last = h.last_draw_no + 2
    s = Sheet(15, last, frozen_rows=2)
    s.paint(1, 1, 1, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(2, 1, 8, 2, fg=BLUE, bg=CYAN)
    s.paint(9, 1, 15, 2, fg=RED, bg=GREEN)
    s.put(4, 1, "       当 選 数 字", align="left")
    s.put(12, 1, "前回までの出現回数合計(回)")
    s.put(1, 2, "回数")
    for k in range(1, 7):
        s.put(1 + k, 2, "第%d数字" % k)
        s.put(8 + k, 2, "第%d数字" % k)
    s.put(8, 2, "ボ数字")
    s.put(15, 2, "ボ数字")
    running = [0] * 44
    row = 3
    for n, main, bonus in h.draws:
        nums = main + [bonus]
        s.put(1, row, n)
        for k, v in enumerate(nums):
            s.put(2 + k, row, v)
            s.put(9 + k, row, running[v])
        for v in nums:
            running[v] += 1
        row += 1
    return s


def dispersion(h):
    last = h.last_draw_no + 3
    s = Sheet(45, last)
    s.cell(22, 1, fg=BLUE)
    s.put(22, 1, "数　　　　　　　字")
    s.paint(2, 1, 44, 1, bg=PALE_CYAN)
    s.paint(1, 1, 1, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(45, 1, 45, last, fg=RED, bg=LIGHT_YELLOW)
    if h.last_draw_no >= 1:
        # The number captions, and again on the last row (which no draw
        # reaches) so that the long chart can be read at its foot too.
        for r in (2, last):
            s.put(1, r, "回")
            for n in range(1, 44):
                s.put(n + 1, r, n)
            s.put(45, r, "回")
            s.paint(2, r, 44, r, fg=BLUE, bg=PALE_CYAN)
    row = 3
    for n, main, bonus in h.draws:
        s.put(1, row, n)
        s.put(45, row, n)
        for v in main + [bonus]:
            s.put(v + 1, row, DOT)
        for v in main:
            s.cell(v + 1, row, fg=MAIN_DOT)
        s.cell(bonus + 1, row, fg=BONUS_DOT)
        row += 1
    return s


def pull(h):
    last = h.last_draw_no + 1
    s = Sheet(8, last)
    s.paint(1, 1, 1, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(1, 1, 8, 1, fg=BLACK, bg=PINK)
    s.put(1, 1, "回数")
    s.put(4, 1, "        本 数 字         ", align="left")
    s.put(8, 1, "ボーナス数字")
    previous = set()
    row = 2
    for n, main, bonus in h.draws:
        nums = main + [bonus]
        s.put(1, row, n)
        for k, v in enumerate(nums):
            s.put(2 + k, row, v)
            if v in previous:
                s.cell(2 + k, row, bg=CYAN)
        previous = set(nums)
        row += 1
    return s


def consecutive(h):
    last = h.last_draw_no + 1
    s = Sheet(14, last)
    s.paint(1, 1, 1, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(8, 1, 8, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(2, 1, 7, 1, bg=MAGENTA)
    s.paint(9, 1, 14, 1, bg=PINK)
    s.put(1, 1, "回数")
    s.put(4, 1, "連番(本数字)", align="left")
    s.put(8, 1, "回数")
    s.put(11, 1, "飛び石(本数字)", align="left")
    row = 2
    for n, main, bonus in h.draws:
        for base, step, colour in ((1, 1, CYAN), (8, 2, GREEN)):
            pairs = 0
            s.put(base, row, n)
            for k, v in enumerate(main):
                s.put(base + 1 + k, row, v)
            for k in range(5):
                if main[k] + step == main[k + 1]:
                    pairs += 1
                    s.paint(base + 1 + k, row, base + 2 + k, row, bg=colour)
            if pairs == 0:
                s.cell(base, row, bg=GREY)
        row += 1
    return s


def number_sum(h):
    last = h.last_draw_no + 1
    s = Sheet(10, last, frozen_rows=1)
    s.paint(1, 2, 1, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(8, 2, 8, last, fg=BLUE, bg=CYAN)
    s.paint(10, 2, 10, last, fg=BLUE, bg=CYAN)
    s.paint(1, 1, 10, 1, fg=BLACK, bg=PINK)
    s.put(2, 1, " " * 23 + "　本 数 字" + " " * 30, align="left")
    s.put(1, 1, "回数")
    s.put(8, 1, "本数字合計")
    s.put(9, 1, "ボ数字")
    s.put(10, 1, "本数字+ボ数字")
    row = 2
    for n, main, bonus in h.draws:
        s.put(1, row, n)
        for k, v in enumerate(main):
            s.put(2 + k, row, v)
        total = sum(main)
        s.put(8, row, total)
        s.put(9, row, bonus)
        s.put(10, row, total + bonus)
        row += 1
    return s


PATTERN_LETTERS = "ABCDEFG"
PATTERN_COLOURS = [None, CYAN, GREEN, LIGHT_YELLOW, WHITE, MAGENTA, PINK]


def pattern_layout(h, caption, count_captions):
    last = h.last_draw_no + 1
    s = Sheet(11, last)
    s.paint(1, 2, 1, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(8, 2, 8, last, bg=LIGHT_YELLOW)
    s.paint(9, 2, 9, last, fg=BLUE, bg=CYAN)
    s.paint(10, 2, 10, last, fg=BLUE, bg=WHITE)
    s.paint(1, 1, 11, 1, fg=BLUE, bg=PINK)
    s.put(4, 1, caption, align="left")
    s.put(1, 1, "回数")
    s.put(8, 1, "ボ数")
    s.put(9, 1, count_captions[0])
    s.put(10, 1, count_captions[1])
    s.put(11, 1, "パターン")
    return s


def pattern_cell(s, count, row):
    if PATTERN_COLOURS[count] is not None:
        s.cell(11, row, bg=PATTERN_COLOURS[count])
    s.put(11, row, PATTERN_LETTERS[count])


def low_high(h):
    s = pattern_layout(h, "　　本 数 字", ("低数字", "高数字"))
    row = 2
    for n, main, bonus in h.draws:
        s.put(1, row, n)
        for k, v in enumerate(main):
            s.put(2 + k, row, v)
            if v <= 21:
                s.cell(2 + k, row, bg=CYAN)
        s.put(8, row, bonus)
        low = sum(1 for v in main if v <= 21)
        s.put(9, row, low)
        s.put(10, row, 6 - low)
        pattern_cell(s, low, row)
        row += 1
    return s


def even_odd(h):
    s = pattern_layout(h, "    本 数 字      ", ("偶数", "奇数"))
    row = 2
    for n, main, bonus in h.draws:
        s.put(1, row, n)
        for k, v in enumerate(main):
            s.put(2 + k, row, v)
            s.cell(2 + k, row, bg=CYAN if v % 2 == 0 else WHITE)
        s.put(8, row, bonus)
        even = sum(1 for v in main if v % 2 == 0)
        s.put(9, row, even)
        s.put(10, row, 6 - even)
        pattern_cell(s, 6 - even, row)
        row += 1
    return s


DECADE_CAPTIONS = ["01～09", "10～19", "20～29", "30～39", "40～43"]
DECADE_COLOURS = [WHITE, CYAN, GREEN, LIGHT_YELLOW, MAGENTA]


def decade(v):
    if 1 <= v <= 9:
        return 0
    if 10 <= v <= 19:
        return 1
    if 20 <= v <= 29:
        return 2
    if 30 <= v <= 39:
        return 3
    return 4


def five_division(h):
    last = h.last_draw_no + 2
    s = Sheet(13, last, frozen_rows=1)
    s.paint(1, 2, 1, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(8, 2, 8, last, bg=LIGHT_YELLOW)
    for g in range(1, 5):
        s.paint(9 + g, 2, 9 + g, last, bg=DECADE_COLOURS[g])
    for r in (1, last):
        s.paint(1, r, 8, r, fg=BLACK, bg=PINK)
        s.paint(9, r, 13, r, fg=BLUE, bg=LAVENDER)
        s.put(4, r, "    本 数 字", align="left")
        s.put(1, r, "回数")
        s.put(8, r, "ボ数")
        for g, caption in enumerate(DECADE_CAPTIONS):
            s.put(9 + g, r, caption)
    row = 2
    for n, main, bonus in h.draws:
        counts = [0] * 5
        s.put(1, row, n)
        for k, v in enumerate(main + [bonus]):
            s.put(2 + k, row, v)
            s.cell(2 + k, row, bg=DECADE_COLOURS[decade(v)])
        for v in main + [bonus]:
            counts[decade(v)] += 1
        for g in range(5):
            s.put(9 + g, row, counts[g])
        row += 1
    return s


LETTERS = "ＡＢＣＤＥＦＧＨＩＪＫ"


def group_division(h, groups, width, title_column, captions, freeze_first_column):
    """One of the 6-, 7- and 11-group windows: group i covers the numbers
    width * i + 1 … width * (i + 1), the last group runs on to 43."""
    spans = []
    for i in range(groups):
        first = width * i + 1
        spans.append((first, 43 if i == groups - 1 else first + width - 1))
    last = h.last_draw_no + 3
    s = Sheet(45, last, frozen_rows=3, frozen_cols=1 if freeze_first_column else 0)
    s.put(title_column, 1, "数　　 字")
    s.paint(1, 1, 44, 1, bg=PINK, align="left")
    s.paint(1, 1, 1, last, fg=RED, bg=LIGHT_YELLOW)
    s.paint(45, 1, 45, last, fg=RED, bg=LIGHT_YELLOW)
    for i in range(1, groups, 2):
        lo, hi = spans[i]
        s.paint(lo + 1, 2, hi + 1, last, bg=CYAN)
    for i, (lo, hi) in enumerate(spans):
        s.put(lo + 1, 2, captions[i], align="left")
    s.put(1, 3, "回")
    for n in range(1, 44):
        s.put(n + 1, 3, n)
    s.put(45, 3, "回")
    s.paint(2, 3, 44, 3, fg=BLUE)
    row = 4
    for n, main, bonus in h.draws:
        nums = main + [bonus]
        s.put(1, row, n)
        s.put(45, row, n)
        for v in nums:
            s.put(v + 1, row, DOT)
        counts = [0] * groups
        for v in nums:
            for i, (lo, hi) in enumerate(spans):
                if lo <= v <= hi:
                    counts[i] += 1
        for i, (lo, hi) in enumerate(spans):
            if counts[i] == 0:
                s.paint(lo + 1, row, hi + 1, row, bg=SHADE)
        for v in main:
            s.cell(v + 1, row, fg=MAIN_DOT)
        s.cell(bonus + 1, row, fg=BONUS_DOT)
        row += 1
    return s


def six_division(h):
    captions = [" " * 13 + LETTERS[i] + " " * 14 for i in range(5)] + [" " * 16 + "Ｆ" + " " * 14]
    return group_division(h, 6, 7, 22, captions, False)


def seven_division(h):
    captions = [" " * 11 + LETTERS[i] + " " * 12 for i in range(6)] + [" " * 13 + "Ｇ" + " " * 10]
    return group_division(h, 7, 6, 21, captions, False)


def eleven_division(h):
    captions = [" " * 7 + LETTERS[i] + " " * 8 for i in range(10)] + ["   　Ｋ "]
    return group_division(h, 11, 4, 21, captions, True)


DIGIT_TITLE = " " * 43 + "下一桁数字" + " " * 27 + "　" * 3 + " " * 18


def digit_layout(h):
    """The table of both last-digit windows: a title row and a digit row
    at the top, and the same pair mirrored at the foot."""
    last = h.last_draw_no + 4
    s = Sheet(11, last, frozen_rows=2)
    s.paint(1, 1, 1, last, fg=RED, bg=LIGHT_YELLOW)
    for r, top in ((1, True), (h.last_draw_no + 3, False)):
        title, digits = (r, r + 1) if top else (r + 1, r)
        s.paint(2, r, 11, r + 1, fg=BLUE, bg=PINK)
        s.put(1, title, "回数")
        s.put(2, title, DIGIT_TITLE, align="left")
        for k in range(10):
            s.put(k + 2, digits, k)
    return s


def last_digit_trend(h):
    s = digit_layout(h)
    colours = {0: WHITE, 1: WHITE, 2: CYAN, 3: GREEN}
    row = 3
    for n, main, bonus in h.draws:
        texts = [""] * 10
        s.put(1, row, n)
        for v in main + [bonus]:
            texts[v % 10] += str(v % 10)
        for d in range(10):
            s.put(d + 2, row, texts[d])
            s.cell(d + 2, row, bg=colours.get(len(texts[d]), PINK))
        row += 1
    return s


def run_colour(run):
    if run <= 3:
        return CYAN
    if run <= 6:
        return GREEN
    if run <= 9:
        return LIGHT_YELLOW
    if run <= 12:
        return MAGENTA
    return PINK


def last_digit_runs(h):
    # For each digit, the draw numbers of every number ending in it, in order
    # (a draw with two such numbers is listed twice).
    appearances = [[] for _ in range(10)]
    for n, main, bonus in h.draws:
        for v in main + [bonus]:
            appearances[v % 10].append(n)
    s = digit_layout(h)
    for k in range(1, h.last_draw_no + 1):
        s.put(1, k + 2, k)
    for d in range(10):
        seen = appearances[d][:h.last_draw_no + 1]
        run = 0
        for previous, current in zip(seen, seen[1:]):
            if previous + 1 < current:
                run = 0
            else:
                run += 1
                s.put(d + 2, current + 2, run)
                s.cell(d + 2, current + 2, bg=run_colour(run))
    return s


# ---------------------------------------------------------------------------
# The prediction

CYCLE_METHODS = {7: 0, 9: 1, 11: 2, 12: 3}
ELIMINATION = {1: (22, 4), 2: (16, 5), 3: (17, 5), 4: (24, 9), 5: (32, 12), 6: (1, 19), 7: (12, 20)}
PREDICTION_CAPTIONS = ["●周期法による予想", "●消去法による予想(この予想数字を組合わせて購入します)",
                       "●連発ケルモン予想(この予想数字を組合わせて購入します)", "●一発ケルモン予想"]


def prediction_grid(rows, row_captions):
    s = Sheet(7, rows)
    for r, text in row_captions:
        s.put(1, r, text)
    s.paint(1, 1, 7, 1, fg=BLUE, bg=PINK)
    s.put(2, 1, " " * 25 + "本 数 字" + " " * 26, align="left")
    return s


def prediction(h, shift=0):
    grids = [
        prediction_grid(5, [(2, " 7回周期法"), (3, " 9回周期法"), (4, "11回周期法"), (5, "12回周期法")]),
        prediction_grid(4, [(3, "消去法")]),
        prediction_grid(3, [(2, "連発予想")]),
        prediction_grid(2, [(2, "１発予想")]),
    ]
    # Cycle methods: for every number of every draw, how many draws ago it
    # was last drawn; keep the latest number per position whose gap was
    # exactly 7, 9, 11 or 12 draws, unless another position already holds it.
    numbers = {}            # draw number -> its seven numbers
    last_seen = {}
    cycle = [[""] * 8 for _ in range(4)]
    for n, main, bonus in h.draws:
        nums = main + [bonus]
        numbers[n] = nums
        for p, x in enumerate(nums, start=1):
            if x not in last_seen:
                continue
            method = CYCLE_METHODS.get(n - last_seen[x])
            if method is None:
                continue
            if any(cycle[method][q] == str(x) for q in range(1, 8) if q != p):
                continue
            cycle[method][p] = str(x)
        for x in nums:
            last_seen[x] = n
    for i in range(4):
        for j in range(1, 8):
            grids[0].put(j + 1, i + 2, cycle[i][j])

    last = h.last_draw_no

    def number_at(p, d):
        nums = numbers.get(d)
        return nums[p - 1] if nums else 0

    # Elimination: 21 fixed steps, each a number of an earlier draw plus an
    # addend, brought back into 1 … 43; repeated candidates are dropped.
    candidates = []
    u = v = 0
    for i in range(21):
        a = i % 7 + 1
        b, c0 = ELIMINATION[a]
        x = number_at(a, last - (c0 + i // 7) - shift) + b
        if x > 43:
            x -= 43
        elif x <= 0:
            x += 43
        if x in candidates:
            candidates.append(x)
            continue
        candidates.append(x)
        grids[1].put(u + 2, v + 2, x)
        u += 1
        if u == 6:
            u, v = 0, v + 1

    # Multi-shot and one-shot: the numbers that occur exactly once in the
    # four draws before the latest (moved back by the shift).
    window = [[number_at(j, last - k - shift - 1) for j in range(1, 8)] for k in range(4)]
    occurrences = {}
    for nums in window:
        for x in nums:
            occurrences[x] = occurrences.get(x, 0) + 1
    singles = []
    for nums in window:
        for x in nums:
            if x == 0:
                break
            if occurrences[x] == 1:
                singles.append(x)
    for k, x in enumerate(singles[:12]):
        grids[2].put(k % 6 + 2, k // 6 + 2, x)
    for k, x in enumerate(singles[:6]):
        grids[3].put(k + 2, 2, x)

    members = ", ".join("{%s}" % g.json_members(caption) for g, caption in zip(grids, PREDICTION_CAPTIONS))
    return '{"window": "一発ケルモン予想", "shift": %d, "grids": [%s]}' % (shift, members)


WINDOWS = [
    ("出現頻度分析", "出現頻度分析", appearance_frequency),
    ("回数別出現分析", "回数別頻度分析", numbers_by_count),
    ("出現間隔分析", "出現間隔分析", appearance_interval),
    ("数字間隔分析", "数字間隔分析", number_interval),
    ("出現回数分析", "出現回数分析", appearance_count),
    ("バラツキ分析", "バラツキ分析", dispersion),
    ("引っ張り分析", "引っ張り分析", pull),
    ("連番飛び石分析", "連番・飛び石分析", consecutive),
    ("数字合計分析", "数字合計分析", number_sum),
    ("低数字高数字の組合せパターン分析", "低数字・高数字の組合せパターン分析", low_high),
    ("偶数奇数の組合せパターン分析", "偶数・奇数の組合せパターン分析", even_odd),
    ("分割5傾向分析", "5分割傾向分析", five_division),
    ("分割6データ分析", "6分割データ分析", six_division),
    ("分割7データ分析", "7分割データ分析", seven_division),
    ("分割11データ分析", "11分割データ分析", eleven_division),
    ("下一桁出現傾向分析", "下一桁出現傾向分析", last_digit_trend),
    ("下一桁連続出現回数分析", "下一桁連続出現回数分析", last_digit_runs),
]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    h = History(sys.argv[1])
    parts = [prediction(h)]
    for name, caption, build in WINDOWS:
        parts.append(window_json(name, caption, build(h)))
    sys.stdout.write("[\n" + ",\n".join(parts) + "\n]\n")


if __name__ == "__main__":
    main()

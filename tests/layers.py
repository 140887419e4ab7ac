#!/usr/bin/env python3
"""Checks the layers of src/: no include runs from a lower layer to a higher
one (game < store < ui < analysis, prediction, maintenance, popularity < app, cli), no core file
(outside a gui/ folder) includes a gui/ header, folders on the same floor do
not include each other but for the headers listed in CROSSINGS, and the
units of one folder (a .h with its .cpp) include each other in no cycle.
Includes are read whether written with quotes or angle brackets.

Two places are what they are by design: app/main.cpp is the windowed
program's entry, not core code; and in app/gui the main window builds its
menu from the command table whose commands act on the main window.

usage: layers.py SRC_DIR    (prints each fault, exits 1 when there is one)
       layers.py --self-test (checks that the faults above are found)
"""
import os
import re
import sys
import tempfile

LAYER = {"game": 0, "store": 1, "ui": 2, "analysis": 3, "prediction": 3, "maintenance": 3, "popularity": 3, "app": 4, "cli": 4}
PROGRAM_ENTRY = "app/main.cpp"
ONE_PIECE = "app/gui"
INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>)', re.M)

# The only includes between folders of one floor: (folder, header) and why.
# A crossing the code no longer makes is a fault too, so that the list says
# what the code does.
CROSSINGS = {
    ("prediction", "analysis/groupdivision.h"): "絞り込み counts by the groups the division windows show",
    ("prediction", "analysis/significance.h"): "予想の検証 judges with the tests the analyses use",
    ("prediction", "maintenance/ticket.h"): "tickets, tiers and the reading of typed numbers (to move to game)",
    ("prediction", "maintenance/numbercheck.h"): "candidate numbers are checked as the editor checks a number",
    ("prediction", "maintenance/ticketsummary.h"): "the prices and prize odds of tickets (to move to game)",
    ("prediction", "maintenance/ticketledger.h"): "買い目作成 records its lines in the ticket ledger",
    ("popularity", "analysis/significance.h"): "the test that popularity exists uses the chi-square tail of the analyses",
    ("cli", "app/gui/programsetup.h"): "the render helper pictures windows with the program's icon",
}


def sources(src):
    for folder, _, files in os.walk(src):
        for name in files:
            if name.endswith((".h", ".cpp")):
                path = os.path.join(folder, name)
                yield os.path.relpath(path, src).replace(os.sep, "/"), path


def unit(path):
    return os.path.splitext(path)[0]


def cycles(graph):
    """Every cycle of the graph once, as a list of nodes (depth first)."""
    found, state, stack = [], {}, []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                found.append(stack[stack.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return found


def check(src, crossings):
    faults = []
    graph = {}
    used = set()
    for rel, path in sorted(sources(src)):
        top = rel.split("/")[0]
        if top not in LAYER:
            faults.append("%s: a folder outside the layers" % rel)
            continue
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for quoted, angled in INCLUDE.findall(text):
            included = quoted or angled
            target = included.split("/")[0]
            if target not in LAYER:
                continue  # the tests' own helpers, generated files, libraries
            if LAYER[target] > LAYER[top]:
                faults.append("%s includes %s: a higher layer" % (rel, included))
            elif LAYER[target] == LAYER[top] and target != top:
                if (top, included) in crossings:
                    used.add((top, included))
                else:
                    faults.append("%s includes %s: a folder on the same floor" % (rel, included))
            if "/gui/" not in "/" + rel and "/gui/" in "/" + included and rel != PROGRAM_ENTRY:
                faults.append("%s includes %s: core code includes widgets" % (rel, included))
            folder = os.path.dirname(rel)
            if unit(included) != unit(rel) and os.path.dirname(included) == folder and folder != ONE_PIECE:
                graph.setdefault(unit(rel), set()).add(unit(included))
    for cycle in cycles(graph):
        faults.append("include cycle: " + " -> ".join(cycle))
    for top, included in sorted(set(crossings) - used):
        faults.append("%s no longer includes %s: take it off the list of crossings" % (top, included))
    return faults


def self_test():
    """A small tree with one fault of each kind; every one must be found."""
    files = {
        "store/a.h": '#include <analysis/b.h>\n',
        "analysis/b.h": '#include "prediction/c.h"\n#include <vector>\n',
        "prediction/c.h": '#include <maintenance/d.h>\n',
        "maintenance/d.h": '#include "ui/gui/view.h"\n',
        "ui/gui/view.h": '',
        "cli/e.cpp": '#include "cli/f.h"\n',
        "cli/f.h": '#include "cli/e.h"\n',
        "cli/e.h": '#include "cli/f.h"\n',
    }
    expected = [
        "analysis/b.h includes prediction/c.h: a folder on the same floor",
        "cli no longer includes app/x.h: take it off the list of crossings",
        "include cycle: cli/e -> cli/f -> cli/e",
        "maintenance/d.h includes ui/gui/view.h: core code includes widgets",
        "store/a.h includes analysis/b.h: a higher layer",
    ]
    with tempfile.TemporaryDirectory() as src:
        for rel, text in files.items():
            os.makedirs(os.path.join(src, os.path.dirname(rel)), exist_ok=True)
            with open(os.path.join(src, rel), "w", encoding="utf-8") as f:
                f.write(text)
        found = sorted(check(src, {("prediction", "maintenance/d.h"): "", ("cli", "app/x.h"): ""}))
    if found != expected:
        print("expected:\n  " + "\n  ".join(expected) + "\nfound:\n  " + "\n  ".join(found))
        return 1
    return 0


def main():
    if sys.argv[1] == "--self-test":
        return self_test()
    faults = check(sys.argv[1], CROSSINGS)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Checks the layers of src/: no include runs from a lower layer to a higher
one (game < store < ui < analysis, prediction, maintenance, popularity < app, cli), no core file
(outside a gui/ folder) includes a gui/ header, and the units of one folder
(a .h with its .cpp) include each other in no cycle.

Two places are what they are by design: app/main.cpp is the windowed
program's entry, not core code; and in app/gui the main window builds its
menu from the command table whose commands act on the main window.

usage: layers.py SRC_DIR    (prints each fault, exits 1 when there is one)
"""
import os
import re
import sys

LAYER = {"game": 0, "store": 1, "ui": 2, "analysis": 3, "prediction": 3, "maintenance": 3, "popularity": 3, "app": 4, "cli": 4}
PROGRAM_ENTRY = "app/main.cpp"
ONE_PIECE = "app/gui"
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


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


def main():
    src = sys.argv[1]
    faults = []
    graph = {}
    for rel, path in sorted(sources(src)):
        top = rel.split("/")[0]
        if top not in LAYER:
            faults.append("%s: a folder outside the layers" % rel)
            continue
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for included in INCLUDE.findall(text):
            target = included.split("/")[0]
            if target not in LAYER:
                continue  # the tests' own helpers, generated files
            if LAYER[target] > LAYER[top]:
                faults.append("%s includes %s: a higher layer" % (rel, included))
            if "/gui/" not in "/" + rel and "/gui/" in "/" + included and rel != PROGRAM_ENTRY:
                faults.append("%s includes %s: core code includes widgets" % (rel, included))
            folder = os.path.dirname(rel)
            if unit(included) != unit(rel) and os.path.dirname(included) == folder and folder != ONE_PIECE:
                graph.setdefault(unit(rel), set()).add(unit(included))
    for cycle in cycles(graph):
        faults.append("include cycle: " + " -> ".join(cycle))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

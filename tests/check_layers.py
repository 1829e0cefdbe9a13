#!/usr/bin/env python3
"""Fails when the folders of src/ stop running one way.

The folders are ranked from the bottom (common) to the top (app). An include
from a folder to a higher one is an upward include: at most the few listed in
ALLOWED_UPWARD may exist, each explained in its folder's README. Also fails on
an include circle between folders, on a window-layer header included from
outside the window layer (src/window and src/app; the files listed in
ALLOWED_WINDOW_USERS excepted), on window/chart1.h included by a file of
src/window that is not listed in CHART1_USERS, and on a source file over 600
lines.

usage: check_layers.py SOURCE_DIR [--graph]
"""
import collections
import os
import re
import sys

# Bottom to top. A folder may include its own headers and those of any folder
# below it.
RANKS = [
    "common",
    "instrument",
    "display",
    "measure",
    "files",
    "settings",
    "cycle",
    "calibrate",
    "compare",
    "timedomain",
    "limits",
    "range",
    "remote",
    "window",
    "app",
]
# "folder/file -> header" of each upward include allowed; at most two.
ALLOWED_UPWARD = set()
# Files outside src/window and src/app that may include a window header: none
# (the command line draws its pictures by the rules, without the window).
ALLOWED_WINDOW_USERS = set()
WINDOW = {"window", "app"}
# The files of src/window that may include window/chart1.h: the window's own
# handlers, and the picture's commands, which still read the whole window. A
# controller is handed the few things of the window it needs instead.
CHART1_USERS = {
    "src/window/chart1.cpp",
    "src/window/chart1_load.cpp",
    "src/window/chart1_checks.cpp",
    "src/window/remote_window.cpp",
    "src/window/timer_tick.cpp",
    "src/window/readout_steps.cpp",
    "src/window/plot_traces.cpp",
    "src/window/run_controls.cpp",
    "src/window/display_handlers.cpp",
    "src/window/range_handlers.cpp",
    "src/window/file_menu.cpp",
    "src/window/picture_menu.cpp",
}
MAX_LINES = 600
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([^"]+)"', re.M)


def sources(root, top):
    for folder, _, names in os.walk(os.path.join(root, top)):
        for name in names:
            if name.endswith((".h", ".cpp")):
                yield os.path.join(folder, name)


def main():
    root = sys.argv[1]
    faults = []
    rank = {name: i for i, name in enumerate(RANKS)}
    edges = collections.defaultdict(list)
    for top in ("src", "tools"):
        for path in sources(root, top):
            rel = os.path.relpath(path, root)
            text = open(path, encoding="utf-8").read()
            lines = text.count("\n")
            if lines > MAX_LINES:
                faults.append(f"{rel}: {lines} lines, more than {MAX_LINES}")
            parts = rel.split(os.sep)
            folder = parts[1] if top == "src" else None
            for m in INCLUDE.finditer(text):
                target = m.group(1)
                header = f"{target}/{m.group(2)}"
                if target not in rank:
                    continue  # a tool's own folder, or a Qt header
                if target in WINDOW and folder not in WINDOW:
                    if rel not in ALLOWED_WINDOW_USERS:
                        faults.append(f"{rel} includes the window's {header}")
                if header == "window/chart1.h" and folder == "window":
                    if rel not in CHART1_USERS:
                        faults.append(f"{rel} includes {header}: hand it what it needs instead")
                if folder is None or target == folder:
                    continue
                if folder not in rank:
                    faults.append(f"{rel}: the folder src/{folder} has no rank")
                    continue
                edges[folder].append((target, f"{folder}/{os.path.basename(rel)} -> {header}"))
                if rank[target] > rank[folder]:
                    key = f"{folder}/{os.path.basename(rel)} -> {header}"
                    if key not in ALLOWED_UPWARD:
                        faults.append(f"upward include: {key}")
    # The tests, benchmarks and fuzzers keep to the same length.
    for top in ("tests", "bench", "fuzz"):
        for path in sources(root, top):
            lines = open(path, encoding="utf-8", errors="replace").read().count("\n")
            if lines > MAX_LINES:
                faults.append(f"{os.path.relpath(path, root)}: {lines} lines, more than {MAX_LINES}")
    if len(ALLOWED_UPWARD) > 2:
        faults.append(f"{len(ALLOWED_UPWARD)} upward includes allowed, more than two")

    # Circles between folders: any folder that reaches itself.
    graph = {a: {b for b, _ in bs} for a, bs in edges.items()}
    for start in graph:
        seen, todo = set(), list(graph[start])
        while todo:
            f = todo.pop()
            if f == start:
                faults.append(f"include circle through src/{start}")
                break
            if f not in seen:
                seen.add(f)
                todo.extend(graph.get(f, ()))

    if "--graph" in sys.argv:
        for a in sorted(graph, key=rank.get):
            print(f"{a} -> {', '.join(sorted(graph[a], key=rank.get))}")
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        return 1
    print(f"{len(RANKS)} folders run one way; no file over {MAX_LINES} lines.")
    return 0


if __name__ == "__main__":
    sys.exit(main())

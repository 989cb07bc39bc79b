#!/usr/bin/env python3
"""Checks that the code's layers depend on each other in one direction only.

Two checks, each printing what breaks the rule and exiting with 1:
- includes: every project include ("folder/File.h") of a source file in a layer's folder names a
  file of the same layer or of a lower one (the order is LAYERS below, lowest first);
- libraries: with --graphviz DOT (written by `cmake --graphviz=DOT`), the link graph between the
  project's own libraries has no cycle.

    python3 tools/check_layers.py [--graphviz build/layers.dot]
"""

import argparse
import os
import re
import sys

# Lowest first: a folder may include its own layer and the ones before it. A folder not listed
# (tests, tools) sits above every layer.
LAYERS = [
    ("support", ["support", "support/wininet"]),
    ("ui base", ["ui/core/base"]),
    ("ui skin", ["ui/core/skin"]),
    ("ui render", ["ui/core/render"]),
    ("ui manager", ["ui/core/manager"]),
    ("ui window", ["ui/core/window"]),
    ("ui controls", ["ui/controls"]),
    ("app", ["app"]),
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = (".h", ".cpp", ".rc", ".rc.in")
PROJECT_FOLDERS = {"support", "ui", "app", "tools", "tests", "skin"}


def layer_of(path):
    """The index of the layer whose folder holds path (relative, with "/"), or None."""
    folder = os.path.dirname(path)
    for index, (_, folders) in enumerate(LAYERS):
        if folder in folders:
            return index
    return None


def upward_includes(root):
    """(file, included file, reason) for every include that runs up or out of the layers."""
    faults = []
    for _, folders in LAYERS:
        for folder in folders:
            directory = os.path.join(root, folder)
            for name in sorted(os.listdir(directory)):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = f"{folder}/{name}"
                with open(os.path.join(root, path), encoding="utf-8") as source:
                    text = source.read()
                own = layer_of(path)
                for included in INCLUDE.findall(text):
                    if included.split("/")[0] not in PROJECT_FOLDERS:
                        continue  # a third-party header found through the include path
                    target = layer_of(included)
                    if target is None:
                        faults.append((path, included, "not in any layer"))
                    elif target > own:
                        faults.append((path, included, f"{LAYERS[target][0]} is above "
                                                       f"{LAYERS[own][0]}"))
    return faults


def read_link_graph(dot_path, prefix):
    """The edges between the project's libraries (names starting with prefix) in a CMake
    graphviz file: {library: set of libraries it links}."""
    names = {}
    edges = {}
    node = re.compile(r'^\s*"(node\d+)"\s*\[\s*label\s*=\s*"([^"]+)"')
    edge = re.compile(r'^\s*"(node\d+)"\s*->\s*"(node\d+)"')
    with open(dot_path, encoding="utf-8") as dot:
        lines = dot.readlines()
    for line in lines:
        match = node.match(line)
        if match:
            names[match.group(1)] = match.group(2)
    for line in lines:
        match = edge.match(line)
        if match:
            source, target = names.get(match.group(1)), names.get(match.group(2))
            if source and target and source.startswith(prefix) and target.startswith(prefix):
                edges.setdefault(source, set()).add(target)
                edges.setdefault(target, set())
    return edges


def find_cycle(edges):
    """One cycle of the graph as a list of names, or None."""
    state = {}  # name -> "open" while on the path, "done" after

    def visit(name, path):
        state[name] = "open"
        path.append(name)
        for target in sorted(edges.get(name, ())):
            if state.get(target) == "open":
                return path[path.index(target):] + [target]
            if target not in state:
                found = visit(target, path)
                if found:
                    return found
        path.pop()
        state[name] = "done"
        return None

    for name in sorted(edges):
        if name not in state:
            found = visit(name, [])
            if found:
                return found
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--graphviz", help="CMake graphviz file of the build")
    parser.add_argument("--prefix", default="vexo_", help="names of the project's libraries")
    args = parser.parse_args()

    failed = False
    for path, included, reason in upward_includes(args.root):
        print(f"{path}: includes {included}: {reason}")
        failed = True
    if args.graphviz:
        edges = read_link_graph(args.graphviz, args.prefix)
        if not edges:
            print(f"{args.graphviz}: no library of the project found")
            failed = True
        cycle = find_cycle(edges)
        if cycle:
            print("library cycle: " + " -> ".join(cycle))
            failed = True
        else:
            print(f"{len(edges)} libraries, no cycle")
    print("layers: " + ("FAILED" if failed else "ok"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

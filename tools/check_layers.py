#!/usr/bin/env python3
"""Checks that the code's layers depend on each other in one direction only.

Two checks, each printing what breaks the rule and exiting with 1:
- includes: every include of a source file in a layer's folder that names a file of the
  source tree names one of the same layer or of a lower one (the order is LAYERS below, lowest
  first). Each include is resolved as the compiler finds it: a quoted name ("folder/File.h",
  "../x/File.h", "File.h") first beside the including file, then in the include directories;
  a name in angle brackets (<ui/...>) in the include directories only. The project's CMake gives
  one include directory, the repository root (INCLUDE_DIRECTORIES). A name that resolves to no
  file of the tree is a third-party or system header and is left alone, unless it reads as a
  path into the project's folders (a file not there yet is still checked by where it would be);
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

# The include's delimiter and name: "name" or <name>.
INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*(["<])([^">\n]+)[">]', re.MULTILINE)
SOURCE_SUFFIXES = (".h", ".cpp", ".rc", ".rc.in")
PROJECT_FOLDERS = {"support", "ui", "app", "tools", "tests", "skin"}
# The include directories of the project's targets, relative to the root (CMake's
# target_include_directories: PROJECT_SOURCE_DIR).
INCLUDE_DIRECTORIES = [""]


def layer_of(path):
    """The index of the layer whose folder holds path (relative, with "/"), or None."""
    folder = os.path.dirname(path)
    for index, (_, folders) in enumerate(LAYERS):
        if folder in folders:
            return index
    return None


def tree_path(folder, name):
    """name taken from folder (both relative to the root, with "/"), normalised; None when it
    leaves the tree."""
    path = os.path.normpath(os.path.join(folder, name)).replace(os.sep, "/")
    if path == ".." or path.startswith("../") or os.path.isabs(path):
        return None
    return path


def resolve_include(root, including, delimiter, name):
    """The file of the tree (relative to root, with "/") that the include names, or None for a
    header from outside the tree. Quoted names are looked for beside the including file first;
    every name then in the include directories, in order."""
    name = name.strip().replace("\\", "/")
    beside = tree_path(os.path.dirname(including), name) if delimiter == '"' else None
    in_directories = [tree_path(folder, name) for folder in INCLUDE_DIRECTORIES]
    for path in [beside] + in_directories:
        if path is not None and os.path.isfile(os.path.join(root, path)):
            return path
    # A file that is not there (yet) is the project's when the name is explicitly relative or
    # starts with one of the project's folders; anything else is taken for a third-party name.
    if beside is not None and name.startswith(("./", "../")):
        return beside
    for path in in_directories:
        if path is not None and path.split("/")[0] in PROJECT_FOLDERS:
            return path
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
                for delimiter, written in INCLUDE.findall(text):
                    included = resolve_include(root, path, delimiter, written)
                    if included is None:
                        continue  # a third-party or system header
                    target = layer_of(included)
                    shown = written if written == included else f"{written} ({included})"
                    if target is None:
                        faults.append((path, shown, "not in any layer"))
                    elif target > own:
                        faults.append((path, shown, f"{LAYERS[target][0]} is above "
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

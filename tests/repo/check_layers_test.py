#!/usr/bin/env python3
"""The layer checker: upward includes and library cycles are found, the allowed ones are not;
then the repository itself is checked (its includes, and the link graph CMake prints)."""

import os
import subprocess
import sys
import tempfile
import unittest

import check_layers  # tools/, on the harness's PYTHONPATH

TOOLS = os.path.dirname(os.path.abspath(check_layers.__file__))


def write_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as out:
            out.write(text)
    for _, folders in check_layers.LAYERS:
        for folder in folders:
            os.makedirs(os.path.join(root, folder), exist_ok=True)


class IncludeDirection(unittest.TestCase):
    CASES = [
        # (file, its text, expected faults)
        ("support/Log.h", '#include "support/LibThread.h"\n', 0),
        ("ui/core/render/UIRender.cpp", '#include "ui/core/skin/SkinImage.h"\n', 0),
        ("ui/controls/ButtonUI.cpp", '#include "ui/core/manager/ControlUI.h"\n', 0),
        ("ui/core/render/UIRender.cpp", '#include "ui/core/manager/WindowManager.h"\n', 1),
        ("ui/core/window/DialogBuilder.cpp", '#include "ui/controls/ButtonUI.h"\n', 1),
        ("support/Log.cpp", '#include "app/Main.h"\n#include "ui/core/base/UIString.h"\n', 2),
        ("ui/core/base/UIString.cpp", '#include "tests/common/TestFiles.h"\n', 1),
        ("ui/core/skin/SkinImage.cpp", '#include "stb_image.h"\n#include "rapidjson/document.h"\n', 0),
    ]

    def test_cases(self):
        for path, text, expected in self.CASES:
            with self.subTest(path=path, text=text), tempfile.TemporaryDirectory() as root:
                write_tree(root, {path: text})
                faults = check_layers.upward_includes(root)
                self.assertEqual(len(faults), expected, faults)


class IncludeForms(unittest.TestCase):
    """Every way of writing an include is resolved against a tree that has the headers, as the
    compiler would find them (beside the including file, then the repository root)."""

    HEADERS = ["support/Log.h", "ui/core/base/UIString.h", "ui/core/render/UIRender.h",
               "ui/core/manager/WindowManager.h", "ui/core/manager/ControlUI.h",
               "ui/controls/ButtonUI.h", "app/Main.h", "tests/common/TestFiles.h", "Rooted.h"]
    INCLUDING = "ui/core/render/Planted.cpp"  # the render layer

    PLANTED = [
        # (include line, reported)
        ('#include "ui/core/manager/WindowManager.h"', True),
        ('#include "../manager/WindowManager.h"', True),
        ('#include "./../../controls/ButtonUI.h"', True),
        ('#include "../../../app/Main.h"', True),
        ('#include <ui/core/manager/ControlUI.h>', True),
        ('#  include  <app/Main.h>', True),
        ('#include "..\\manager\\WindowManager.h"', True),  # the Windows separator
        ('#include "../../../tests/common/TestFiles.h"', True),  # no layer at all
        ('#include "Rooted.h"', True),  # found in the include directory, in no layer
        ('#include "../manager/NotWrittenYet.h"', True),  # where it would be
        ('#include "ui/core/manager/NotWrittenYet.h"', True),
        ('#include "ui/core/base/UIString.h"', False),
        ('#include "../base/UIString.h"', False),
        ('#include "UIRender.h"', False),  # beside it
        ('#include <support/Log.h>', False),
        ('#include "../../../support/Log.h"', False),
        ('#include <windows.h>', False),  # system headers: not in the tree
        ('#include <vector>', False),
        ('#include <UIString.h>', False),  # angle brackets never look beside the file
        ('#include "stb_image.h"', False),  # third-party, found elsewhere
        ('#include "rapidjson/document.h"', False),
        ('#include "../../../../outside/Tree.h"', False),  # leaves the tree
        ('// #include "ui/controls/ButtonUI.h"', False),
    ]

    def test_planted_includes(self):
        for line, reported in self.PLANTED:
            with self.subTest(line=line), tempfile.TemporaryDirectory() as root:
                write_tree(root, {path: "" for path in self.HEADERS})
                write_tree(root, {self.INCLUDING: line + "\n"})
                faults = check_layers.upward_includes(root)
                self.assertEqual(len(faults), 1 if reported else 0, faults)

    def test_a_bare_name_is_found_beside_the_file_before_the_root(self):
        # "Main.h" beside the file is the render layer's own; at the root it would be nothing.
        with tempfile.TemporaryDirectory() as root:
            write_tree(root, {"ui/core/render/Main.h": "", "Main.h": "",
                              self.INCLUDING: '#include "Main.h"\n'})
            self.assertEqual(check_layers.upward_includes(root), [])
        # A bare name that exists only in another folder is not found there (nor by the
        # compiler): it is taken for a header from outside the tree.
        with tempfile.TemporaryDirectory() as root:
            write_tree(root, {"ui/core/manager/Upper.h": "", self.INCLUDING: '#include "Upper.h"\n'})
            self.assertEqual(check_layers.upward_includes(root), [])

    def test_the_report_names_the_resolved_file(self):
        with tempfile.TemporaryDirectory() as root:
            write_tree(root, {path: "" for path in self.HEADERS})
            write_tree(root, {self.INCLUDING: '#include "../manager/WindowManager.h"\n'})
            (path, shown, reason), = check_layers.upward_includes(root)
            self.assertEqual(path, self.INCLUDING)
            self.assertIn("ui/core/manager/WindowManager.h", shown)
            self.assertIn("ui manager is above ui render", reason)


class LibraryCycles(unittest.TestCase):
    def graph(self, edges):
        lines = ["digraph x {"]
        names = sorted({name for edge in edges for name in edge})
        for index, name in enumerate(names):
            lines.append(f'    "node{index}" [ label = "{name}", shape = octagon ];')
        for source, target in edges:
            lines.append(f'    "node{names.index(source)}" -> "node{names.index(target)}"  // x')
        lines.append("}")
        with tempfile.NamedTemporaryFile("w", suffix=".dot", delete=False) as dot:
            dot.write("\n".join(lines))
        self.addCleanup(os.unlink, dot.name)
        return check_layers.read_link_graph(dot.name, "vexo_")

    def test_cycle_is_found(self):
        edges = self.graph([("vexo_ui_core", "vexo_ui_controls"), ("vexo_ui_controls", "vexo_ui_core"),
                            ("vexo_app", "vexo_ui_core")])
        self.assertEqual(check_layers.find_cycle(edges)[0], check_layers.find_cycle(edges)[-1])

    def test_chain_and_foreign_cycle_pass(self):
        edges = self.graph([("vexo_app", "vexo_ui_window"), ("vexo_ui_window", "vexo_support"),
                            ("vexo_app", "vexo_support"), ("gdi32", "user32"), ("user32", "gdi32")])
        self.assertIsNone(check_layers.find_cycle(edges))
        self.assertNotIn("gdi32", edges)


class Repository(unittest.TestCase):
    def test_repository_layers(self):
        build = os.environ.get("VEXO_BINARY_DIR")
        args = [sys.executable, os.path.join(TOOLS, "check_layers.py")]
        if build:
            dot = os.path.join(build, "layers", "libraries.dot")
            os.makedirs(os.path.dirname(dot), exist_ok=True)
            subprocess.run(["cmake", f"--graphviz={dot}", "."], cwd=build, check=True,
                           stdout=subprocess.DEVNULL)
            args += ["--graphviz", dot]
        result = subprocess.run(args, capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()

#!/usr/bin/env python3
"""The Python harness package (tools/vexoharness) itself: where the test authority is looked for,
the PNG writer and reader, servers that must say they are ready in time, and the virtual display
(its own X server with a compositing manager, the command's exit code, nothing left behind).

Usage: harness_test.py   (with PYTHONPATH=REPO/tools; needs Xvfb and xcompmgr)
"""
import os
import subprocess
import sys
import tempfile
import time
import unittest
from unittest import mock

from vexoharness import display, testca
from vexoharness.pictures import png
from vexoharness.servers import ReadyProgram


class TestAuthorityFolder(unittest.TestCase):
    def test_folder_by_precedence(self):
        home = os.path.expanduser("~/.cache/vexo/testca")
        cases = [({"VEXO_TESTCA_DIR": "/ca", "VEXO_CACHE": "/cache"}, "/ca"),
                 ({"VEXO_CACHE": "/cache"}, "/cache/testca"),
                 ({"VEXO_TESTCA_DIR": "", "VEXO_CACHE": "/cache"}, "/cache/testca"),
                 ({}, home)]
        for env, expected in cases:
            with self.subTest(env=env), mock.patch.dict(os.environ, env, clear=False):
                for name in ("VEXO_TESTCA_DIR", "VEXO_CACHE"):
                    if name not in env:
                        os.environ.pop(name, None)
                self.assertEqual(testca.ca_dir(), expected)
                self.assertEqual(testca.cert_pair("expired"),
                                 (os.path.join(expected, "expired.crt"),
                                  os.path.join(expected, "expired.key")))


class Png(unittest.TestCase):
    def test_encoded_pixels_read_back(self):
        # Rows that make every filter the cheapest somewhere, with alpha and without.
        width, height = 7, 5
        rgba = bytes((x * 37 + y * 11 + c * 50) % 256 if c < 3 else (255 if (x + y) % 3 else 0)
                     for y in range(height) for x in range(width) for c in range(4))
        self.assertEqual(png.decode_png(png.encode_png(width, height, rgba)),
                         (width, height, rgba))
        opaque = bytes(v if i % 4 != 3 else 255 for i, v in enumerate(rgba))
        self.assertEqual(png.decode_png(png.encode_png(width, height, opaque, opaque=True)),
                         (width, height, opaque))

    def test_plain_encoding_in_parts(self):
        data = png.encode_plain(3, 2, lambda x, y: (x, y, 9, 255), level=1, idat_parts=3)
        self.assertEqual(data.count(b"IDAT"), 3)
        self.assertEqual(png.decode_png(data),
                         (3, 2, bytes((x, y, 9, 255)[c] for y in range(2) for x in range(3)
                                      for c in range(4))))


class Ready(unittest.TestCase):
    def test_ready_line_found_after_others(self):
        server = ReadyProgram([sys.executable, "-c", "import time; print('starting'); "
                               "print('listening on 4242', flush=True); time.sleep(30)"],
                              r"listening on (\d+)")
        try:
            self.assertEqual(server.ready.group(1), "4242")
        finally:
            server.stop()
        self.assertIsNotNone(server.process.poll())

    def test_silent_or_ended_programs_fail_in_time(self):
        cases = [("silent", "import time; time.sleep(30)", "(no output)"),
                 ("ended", "print('port taken')", "port taken")]
        for name, code, said in cases:
            with self.subTest(name):
                started = time.monotonic()
                with self.assertRaises(RuntimeError) as caught:
                    ReadyProgram([sys.executable, "-c", code], r"listening", start_seconds=2)
                self.assertLess(time.monotonic() - started, 10)
                self.assertIn(said, str(caught.exception))


class VirtualDisplay(unittest.TestCase):
    def test_command_runs_composited_on_its_own_display_and_leaves_nothing(self):
        folder = tempfile.mkdtemp(prefix="harness-display-")
        report = os.path.join(folder, "display.txt")
        probe = ("import os, sys; from vexoharness import display; "
                 "open(sys.argv[1], 'w').write('%s %s' % (os.environ['DISPLAY'], "
                 "display.compositor_running(os.environ['DISPLAY']))); sys.exit(7)")
        # No Wine here: a program of the suite's prefix started on a second display would tie
        # the prefix's desktop process to a display that is about to end.
        outer = dict(os.environ, VEXO_WINE="true", WINEPREFIX=os.path.join(folder, "noprefix"))
        outer.pop("DISPLAY", None)
        result = subprocess.run([sys.executable, "-m", "vexoharness.display", "--current",
                                 sys.executable, "-c", probe, report], env=outer, timeout=600)
        self.assertEqual(result.returncode, 7, "the command's exit code")
        with open(report) as f:
            name, composited = f.read().split()
        self.assertRegex(name, r"^:\d+$")
        self.assertEqual(composited, "True")
        number = name[1:]
        self.assertFalse(os.path.exists("/tmp/.X%s-lock" % number), "the X server has ended")


if __name__ == "__main__":
    unittest.main(verbosity=2)

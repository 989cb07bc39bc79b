#!/usr/bin/env python3
"""The drop shadow on a real display: a window with its shadow over a white backdrop
(shadow_demo.exe), photographed with ImageMagick under the test display's compositing manager
(vexoharness.display starts xcompmgr, as every Windows desktop composites) and clicked with
xdotool. Checks that the shadow darkens the backdrop next to the window and fades outwards, lets
clicks through to the window below, follows the window when it moves, and is hidden while the
window is minimised. The screenshots are kept in ARTIFACTS (look at them).

Usage: shadow_window_test.py --wine WINE_RUN --demo shadow_demo.exe --artifacts DIR
Needs DISPLAY with a compositing manager (the test run provides one: vexoharness.display).
"""
import argparse
import os
import shutil
import subprocess
import sys
import time
import unittest

from vexoharness.checks import xdotool
from vexoharness.hostlog import OutputHost
from vexoharness.screens import Picture, screenshot

ARGS = None
TIMEOUT = 60


class Demo(OutputHost):
    """shadow_demo.exe under Wine, spoken to line by line."""

    def __init__(self):
        super().__init__([ARGS.wine, ARGS.demo], talk=True)

    def expect(self, prefix, timeout=TIMEOUT):
        line = self.wait_for(lambda l: l.strip().startswith(prefix), timeout)
        return line.split()[1:]

    def close(self):
        if self.process.poll() is None:
            try:
                self.send("quit")
                self.process.wait(timeout=TIMEOUT)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()
        return self.process.returncode


def click(x, y):
    xdotool("mousemove", x, y, "click", 1, timeout=TIMEOUT)


class ShadowOnTheDisplay(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(ARGS.artifacts, exist_ok=True)
        cls.demo = Demo()
        numbers = [int(v) for v in cls.demo.expect("ready")]
        cls.window = numbers[0:4]
        cls.shadow = numbers[4:8]
        time.sleep(2.0)  # let the compositor paint the layered window

    @classmethod
    def tearDownClass(cls):
        code = cls.demo.close()
        assert code == 0, "shadow_demo ended with %r" % code

    def shot(self, name):
        return Picture(screenshot(os.path.join(ARGS.artifacts, name)))

    def test_1_shadow_darkens_the_backdrop_and_fades_outwards(self):
        left, top, right, bottom = self.window
        self.assertEqual(self.shadow, [left - 10, top - 10, right + 10, bottom + 10])
        picture = self.shot("shadow-shown.png")
        mid_y = (top + bottom) // 2
        mid_x = (left + right) // 2
        self.assertGreater(picture.brightness(left - 60, mid_y), 245, "backdrop far away")
        for x, y, name in ((left - 2, mid_y, "left"), (right + 1, mid_y, "right"),
                           (mid_x, top - 2, "top"), (mid_x, bottom + 1, "bottom")):
            self.assertLess(picture.brightness(x, y), 220, name + " edge is darkened")
        self.assertLess(picture.brightness(left - 2, mid_y), picture.brightness(left - 8, mid_y),
                        "the shadow fades outwards")
        self.assertLess(picture.brightness(mid_x, mid_y), 60, "the window itself is dark")

    def test_2_clicks_go_through_the_shadow(self):
        left, top, right, bottom = self.window
        mid_y = (top + bottom) // 2
        click(left - 4, mid_y)
        self.assertEqual(self.demo.expect("click"), ["backdrop", str(left - 4), str(mid_y)])
        click(left + 20, mid_y)
        self.assertEqual(self.demo.expect("click")[0], "window")

    def test_3_shadow_follows_the_window(self):
        self.demo.send("move 120 90")
        moved = [int(v) for v in self.demo.expect("moved")]
        width = self.window[2] - self.window[0]
        height = self.window[3] - self.window[1]
        self.assertEqual(moved, [110, 80, 120 + width + 10, 90 + height + 10])
        time.sleep(1.0)
        picture = self.shot("shadow-moved.png")
        self.assertLess(picture.brightness(118, 90 + height // 2), 220, "new left edge")
        old_mid_x = (self.window[0] + self.window[2]) // 2
        self.assertGreater(picture.brightness(old_mid_x, self.window[3] + 1), 245,
                           "nothing left below the old place")

    def test_4_minimised_window_has_no_shadow(self):
        self.demo.send("minimize")
        self.assertEqual(self.demo.expect("shadow"), ["0"])
        time.sleep(1.0)
        picture = self.shot("shadow-minimised.png")
        self.assertGreater(picture.brightness(118, 150), 245)
        self.demo.send("restore")
        self.assertEqual(self.demo.expect("shadow"), ["1"])
        time.sleep(1.0)
        picture = self.shot("shadow-restored.png")
        self.assertLess(picture.brightness(118, 150), 220)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", required=True)
    parser.add_argument("--demo", required=True)
    parser.add_argument("--artifacts", required=True)
    ARGS, rest = parser.parse_known_args()
    for tool in ("xdotool", "import", "convert"):
        if shutil.which(tool) is None:
            print("missing tool: " + tool, file=sys.stderr)
            return 1
    if not os.environ.get("DISPLAY"):
        print("no DISPLAY", file=sys.stderr)
        return 1
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())

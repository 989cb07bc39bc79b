#!/usr/bin/env python3
"""The gallery at 96, 144 and 192 DPI (the prefix's density set for each run and put back
after): its 1000x680 window scaled, the skin's 1-pixel outer border as wide as the density
makes it (2 pixels at 192, not a blurred 1), and the title drawn at the larger font size rather
than stretched. Screenshots in the artefacts folder.

Usage: gallery_dpi_test.py --wine WINE_RUN --gallery GALLERY_EXE --artifacts DIR
Needs an X display of at least 2048x1536 (vexoharness.display), xdotool and ImageMagick.
"""
import os
import subprocess
import sys

from vexoharness import dpi as density
from vexoharness.checks import check, run_main
from vexoharness.screens import near

DENSITIES = (96, 144, 192)
SIZE = (1000, 680)
BORDER = (0x9A, 0xA5, 0xB8)  # the root layout's 1-pixel border
TITLE = (0, 0, 300, 44)       # the caption band's left part with "SkinUI gallery"


def border_width(picture, y):
    """How many pixels from the window's right edge, at row y, have the border's colour (the
    navigation panel covers the left one)."""
    width = 0
    while width < 10 and near(picture.rgb(picture.width - 1 - width, y), BORDER, 10):
        width += 1
    return width


def densities(args):
    def start():
        process = subprocess.Popen([args.wine, args.gallery], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)

        def stop():
            if process.poll() is None:
                process.kill()
                process.wait()
        return density.find_window("^SkinUI gallery$", process), stop

    shots = {}
    for dpi in DENSITIES:
        path = os.path.join(args.artifacts, "gallery-%ddpi.png" % dpi)
        size, picture = density.photograph(dpi, start, SIZE, path, args.wine)
        if picture is None:
            continue
        shots[dpi] = picture
        expected = density.scaled(1, dpi)
        found = border_width(picture, size[1] // 2)
        check(found == expected, "%d DPI: the outer border is %d pixel(s) wide (it is %d)" % (
            dpi, expected, found))
    assert 96 in shots, "the window at 96 DPI to compare with"
    density.check_text_scaling(shots, TITLE, lambda rgb: min(rgb) >= 200, "the title")


if __name__ == "__main__":
    sys.exit(run_main([densities], options=("wine", "gallery", "artifacts")))

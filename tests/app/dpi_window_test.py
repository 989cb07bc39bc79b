#!/usr/bin/env python3
"""The installer's window at 96, 144 and 192 DPI (the prefix's density set for each run and put
back after): 980x600 scaled to 1470x900 and 1960x1200, the install button where the scaled
skin puts it, its text drawn at the larger font size rather than stretched, and the shadow
reaching as much further out as the density is higher. The services
refuse every connection: a copy of the installer names port 1 instead of the stand-in
platform's (which other runs may use), and the window shows all the same. Screenshots in the
artefacts folder.

The installer runs in English (en-US), and someone has put skin files beside it and in the
current folder: a string table for en-US whose texts are empty, and the "@1.5x" pictures of the
install button and the bottom area (the package holds "@2x" ones only) in red. The installer
reads its skin from its package alone: the button keeps its text and its colour at every density.

Usage: dpi_window_test.py --wine WINE_RUN --installer EXE --artifacts DIR
Needs an X display of at least 2048x1536 (vexoharness.display), xdotool and ImageMagick.
"""
import os
import sys

from vexoharness import dpi as density
from vexoharness import installer as drv
from vexoharness.checks import check, run_main
from vexoharness.pictures.png import encode_solid
from vexoharness.screens import Picture, near

DENSITIES = (96, 144, 192)
SIZE = (980, 600)
BUTTON = (390, 480, 200, 60)  # the install button in the window (skin units)
SERVICE = b"https://localhost:8443"
SHADOW = 4    # the skin's shadow size
MARGIN = 24   # pixels kept around the window for the shadow
# A game of its own: the installer keeps the pictures of the last record of a game in the
# temporary folder, and the other tests' game would bring its pictures into these screenshots.
GAME_ID = "1000977"


def refusing_copy(exe, folder):
    """A stamped copy of the installer whose service addresses name port 1."""
    target = drv.stamp_copy(exe, folder, GAME_ID, "dpi")
    with open(target, "rb") as f:
        data = f.read()
    assert data.count(SERVICE) > 0, "the service address is in the executable"
    refused = b"https://localhost:1"
    data = data.replace(SERVICE, refused + b"\0" * (len(SERVICE) - len(refused)))
    with open(target, "wb") as f:
        f.write(data)
    return target


# Skin files planted beside the installer and in the current folder: texts for the user's
# language, and pictures a 144 DPI window would look for first (name, size).
PLANTED_TEXTS = ("strings.en-US.xml",
                 '<StringTable>%s</StringTable>' % "".join(
                     '<MultiLanguage id="%d" value=""/>' % i for i in range(1, 30)))
PLANTED_PICTURES = (("but@1.5x.png", (300, 270)), ("bgBottom@1.5x.png", (1470, 240)))
RED = (230, 20, 20)


def plant_skin_files(folders):
    for folder in folders:
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, PLANTED_TEXTS[0]), "w", encoding="utf-8") as f:
            f.write(PLANTED_TEXTS[1])
        for name, (width, height) in PLANTED_PICTURES:
            with open(os.path.join(folder, name), "wb") as f:
                f.write(encode_solid(width, height, RED + (255,)))


def is_planted_red(rgb):
    return rgb[0] > 180 and rgb[1] < 90 and rgb[2] < 90


def check_package_only(picture, dpi):
    """The install button and the bottom area are the package's, not the planted red ones."""
    inside_button = (BUTTON[0] + 15, BUTTON[1] + 30)
    for what, point in (("the install button", inside_button), ("the bottom area", (100, 470))):
        x, y = (density.scaled(v, dpi) for v in point)
        check(not is_planted_red(picture.rgb(x, y)),
              "%d DPI: %s is the package's picture, not the one planted beside the installer "
              "(%s at %d,%d)" % (dpi, what, picture.rgb(x, y), x, y))


def check_shadow(framed, size, dpi):
    """Left of the window's middle row the shadow darkens the desktop up to its scaled reach
    and no further."""
    row = MARGIN + size[1] // 2
    reach = density.scaled(SHADOW, dpi)
    desktop = framed.brightness(0, row)
    inside = framed.brightness(MARGIN - reach + 1, row)
    beyond = framed.brightness(MARGIN - reach - 2, row)
    check(inside < desktop - 8 and abs(beyond - desktop) <= 4,
          "%d DPI: the shadow reaches %d pixels out (desktop %.0f, %d out %.0f, %d out %.0f)" % (
              dpi, reach, desktop, reach - 1, inside, reach + 2, beyond))


def densities(args):
    drv.set_wine_runner(args.wine)
    exe = refusing_copy(args.installer, os.path.join(args.artifacts, "bin"))
    current = os.path.join(args.artifacts, "current-folder")
    plant_skin_files([os.path.dirname(exe), current])
    os.environ["LC_ALL"] = "en_US.UTF-8"

    def start():
        run = drv.Installer(exe, cwd=current)
        return (run.window if run.wait_for_window() else None), run.kill

    shots = {}
    for dpi in DENSITIES:
        path = os.path.join(args.artifacts, "installer-%ddpi.png" % dpi)
        size, picture = density.photograph(dpi, start, SIZE, path, args.wine, MARGIN)
        if picture is not None:
            shots[dpi] = picture
            check_shadow(Picture(path.replace(".png", "-framed.png")), size, dpi)
            check_package_only(picture, dpi)
    assert 96 in shots, "the window at 96 DPI to compare with"
    base = shots[96]
    for dpi, picture in shots.items():
        left, top, _, height = (density.scaled(v, dpi) for v in BUTTON)
        # Just inside and just outside the button's left edge, half-way down: as at 96.
        middle = top + height // 2
        check(near(picture.rgb(left + 3, middle), base.rgb(BUTTON[0] + 3, 510), 24) and
              near(picture.rgb(left - 3, middle), base.rgb(BUTTON[0] - 3, 510), 24),
              "%d DPI: the button's left edge is at %d" % (dpi, left))
    # The planted table's texts are empty: the text is there only when it comes from the package.
    density.check_text_scaling(shots, BUTTON, lambda rgb: min(rgb) >= 235, "the button's text")


if __name__ == "__main__":
    sys.exit(run_main([densities], options=("wine", "installer", "artifacts")))

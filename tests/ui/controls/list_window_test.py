#!/usr/bin/env python3
"""The list family in the gallery's real window, driven with xdotool: rows selected with the
mouse and the keyboard, a column separator dragged (a click after it lands in the wider column),
and the combo's pop-up opened and closed by a click outside, Escape, Alt+F4 and a selection,
leaving no pop-up window behind. Screenshots of the steps are kept in the artefacts folder.

Usage: list_window_test.py --wine WINE_RUN --gallery GALLERY_EXE --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import subprocess
import sys
import time

from vexoharness.checks import check, run_main, run_parts, xdotool, xdotool_output
from vexoharness.hostlog import LogHost
from vexoharness.screens import near, pixel

HEADER_HEIGHT = 28  # the page's ListHeader
ROW_HEIGHT = 24     # the lists' row height
NAME_COLUMN = 180   # the first column's width in the page's markup
SELECTED = (61, 123, 224)  # itemselectedbkcolor
POPUP_TITLE = "^ComboWnd$"  # the pop-up's title (Wine names every X window class after the program)


class Gallery(LogHost):
    def __init__(self, args):
        super().__init__("listcontrols", args.artifacts,
                         lambda log: [args.wine, args.gallery, "--log", log])

    def open_page(self):
        self.wait(r"^ready$", 60)
        time.sleep(0.5)
        self.click("nav_listcontrols")
        self.wait(r"^notify tabselect ")
        time.sleep(1.0)  # the page is laid out and logged at the next paint

    def row_point(self, name, row, header, x=60):
        left, top, _, _, _ = self.controls()[name]
        x0, y0 = self.origin()
        return (x0 + left + x,
                y0 + top + (HEADER_HEIGHT if header else 0) + 1 + ROW_HEIGHT * row + ROW_HEIGHT // 2)


def popups():
    return xdotool_output("search", "--onlyvisible", "--name", POPUP_TITLE).split()


def wait_for(condition, timeout=10.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.2)
    return condition()


def list_selection(gallery):
    x, y = gallery.row_point("packages", 2, True)
    xdotool("mousemove", x, y, "click", 1)
    gallery.wait(r"^notify itemselect packages 2$")
    shot = gallery.shot("row_clicked")
    check(near(pixel(shot, x + 200, y), SELECTED),
          "the clicked row is painted selected across its columns")
    xdotool("key", "Down")
    gallery.wait(r"^notify itemselect packages 3$")
    xdotool("key", "End")
    gallery.wait(r"^notify itemselect packages 49$")
    shot = gallery.shot("end_key")
    left, _, _, bottom, _ = gallery.controls()["packages"]
    x0, y0 = gallery.origin()
    check(near(pixel(shot, x0 + left + 60, y0 + bottom - 1 - ROW_HEIGHT // 2), SELECTED),
          "End selects the last row and scrolls it into view at the bottom")
    xdotool("key", "Home")
    gallery.wait(r"^notify itemselect packages 0$")
    x, y = gallery.row_point("mirrors", 4, False)
    xdotool("mousemove", x, y, "click", 1)
    gallery.wait(r"^notify itemselect mirrors 4$")
    xdotool("click", "--repeat", 2, "--delay", 80, 1)
    gallery.wait(r"^notify itemactivate mirrors 4$")


def column_drag(gallery):
    x0, y0 = gallery.origin()
    left, top, _, _, _ = gallery.controls()["packages"]
    header_y = y0 + top + HEADER_HEIGHT // 2
    gallery.drag((x0 + left + NAME_COLUMN - 2, header_y), (60, 0))
    time.sleep(0.5)
    gallery.shot("column_dragged")
    # Before the drag this point is in the second column; after it, in the first.
    xdotool("mousemove", x0 + left + NAME_COLUMN + 30, header_y, "click", 1)
    gallery.wait(r"^notify headerclick \S+ 0$")
    check(True, "a click right of the old separator lands in the widened first column")


def open_combo(gallery):
    gallery.click("fruits")
    gallery.wait(r"^notify dropdown fruits")
    return wait_for(lambda: len(popups()) == 1)


def combo_closing(gallery):
    x0, y0 = gallery.origin()
    left, top, right, bottom, _ = gallery.controls()["fruits"]
    check(open_combo(gallery), "a click on the combo opens one pop-up window")
    gallery.shot("combo_open")
    # A click outside: on the page's blank area below the combo.
    xdotool("mousemove", x0 + right + 60, y0 + bottom + 220, "click", 1)
    check(wait_for(lambda: not popups()), "a click outside closes the pop-up")

    check(open_combo(gallery), "the combo opens again")
    xdotool("key", "Escape")
    check(wait_for(lambda: not popups()), "Escape closes the pop-up")

    check(open_combo(gallery), "the combo opens for Alt+F4")
    xdotool("key", "alt+F4")
    check(wait_for(lambda: not popups()), "Alt+F4 closes the pop-up")
    check(gallery.process.poll() is None, "Alt+F4 on the pop-up leaves the gallery running")

    check(open_combo(gallery), "the combo opens for a selection")
    item_y = y0 + bottom + 1 + ROW_HEIGHT * 2 + ROW_HEIGHT // 2
    xdotool("mousemove", x0 + (left + right) // 2, item_y, "click", 1)
    gallery.wait(r"^notify itemselect fruits 2$")
    check(wait_for(lambda: not popups()), "a selection closes the pop-up")
    time.sleep(0.5)
    gallery.shot("combo_selected")
    check(not xdotool_output("search", "--name", POPUP_TITLE).split(),
          "no pop-up window is left, shown or hidden")


def parts(args):
    gallery = Gallery(args)
    try:
        gallery.open_page()
        run_parts([list_selection, column_drag, combo_closing], gallery)
    finally:
        gallery.stop()


def main():
    return run_main([parts])


if __name__ == "__main__":
    sys.exit(main())

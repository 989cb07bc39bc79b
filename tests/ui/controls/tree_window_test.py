#!/usr/bin/env python3
"""The tree page of the gallery in a real window, driven with xdotool: a click on a folder
button expands a collapsed folder, a double click on a row collapses it, Right and Left expand
and collapse the selected node, Down moves the selection past a collapsed folder, and a click on
a check box checks it. The gallery's log tells the notifications; screenshots of every step are
kept in the artefacts folder and checked at the selected row and the checked box.

Usage: tree_window_test.py --wine WINE_RUN --gallery GALLERY_EXE --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import sys
import time

from vexoharness.checks import check, run_main, xdotool
from vexoharness.hostlog import LogHost
from vexoharness.screens import Picture, near, pixel

ROW = 22             # a tree row's height
INDENT = 18          # the page's indent of one level
BUTTON = 16          # the folder button's and the check box's width
SELECTED = (61, 123, 224)  # the page's selitembkcolor
CHECK_MARK = (32, 96, 192)


class Gallery(LogHost):
    def __init__(self, args):
        super().__init__("tree", args.artifacts,
                         lambda log: [args.wine, args.gallery, "--log", log])

    def row_point(self, name, dx, rows_below=0):
        """A screen point dx into a node's row (rows_below rows further down)."""
        return self.point(name, dx=dx, dy=ROW // 2 + rows_below * ROW)

    def notified(self, pattern):
        return self.wait(r"^notify " + pattern + "$", 10)


def click_at(point, repeat=1):
    xdotool("mousemove", point[0], point[1])
    time.sleep(0.2)
    xdotool("click", "--repeat", repeat, "--delay", 80, 1)
    time.sleep(0.4)


def tree_page(args):
    gallery = Gallery(args)
    try:
        gallery.wait(r"^ready$", 60)
        time.sleep(0.5)
        gallery.click("nav_tree")
        gallery.wait(r"^notify tabselect pages \d+$")
        time.sleep(1.0)
        gallery.shot("page")

        # The collapsed folder's button (level 0: no indent) expands it.
        click_at(gallery.row_point("tn_docs", BUTTON // 2))
        gallery.notified("itemexpand tn_docs 1")
        time.sleep(0.3)
        picture = Picture(gallery.shot("docs_expanded"))
        # The rows that were folded while the page was hidden come back with their texts.
        for below, what in ((1, "Reports"), (2, "q1.pdf"), (4, "readme.txt")):
            x, y = gallery.row_point("tn_docs", 0, rows_below=below)
            darkest = min(sum(rgba[:3]) / 3 for rgba in picture.region(x, y - 6, 160, 12))
            check(darkest < 128, "the unfolded row %s shows its text" % what)

        # Documents now shows Reports with two files and readme.txt: Games is five rows down.
        games = gallery.row_point("tn_docs", 120, rows_below=5)
        click_at(games, repeat=2)
        gallery.notified("itemselect tn_games 1")
        gallery.notified("itemexpand tn_games 0")
        shot = gallery.shot("games_collapsed")
        check(near(pixel(shot, games[0] + 100, games[1]), SELECTED),
              "the selected row is painted in the selected colour")

        # Keys on the selected row.
        xdotool("key", "Right")
        gallery.notified("itemexpand tn_games 1")
        xdotool("key", "Left")
        gallery.notified("itemexpand tn_games 0")
        xdotool("key", "Down")
        gallery.notified("itemselect tn_log 1")
        shot = gallery.shot("keys")
        check(near(pixel(shot, games[0] + 100, games[1] + ROW), SELECTED),
              "Down selects the row below the collapsed folder")

        # The check box of a level-1 node sits after one indent and the folder button.
        box = gallery.row_point("tc_sdk", INDENT + BUTTON + BUTTON // 2)
        click_at(box)
        gallery.notified("itemcheck tc_sdk 1")
        shot = gallery.shot("checked")
        check(near(pixel(shot, *box), CHECK_MARK), "the checked box is drawn filled")
        check(gallery.count(r"^notify itemcheck ") == 1, "one click, one check notification")

        gallery.click("closebtn")
        check(gallery.finish() == 0, "the gallery ends with exit code 0")
    finally:
        gallery.stop()


def main():
    return run_main([tree_page])


if __name__ == "__main__":
    sys.exit(main())

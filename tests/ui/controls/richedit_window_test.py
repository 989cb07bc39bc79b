#!/usr/bin/env python3
"""The rich edit in the gallery's real window, driven with xdotool: its text painted inside it,
the wheel and the scroll bar's arrows scrolling it, a click into it and typed text with Enter
reaching it (the gallery logs "text NAME WORDS" at every change), and the read-only one keeping
its text. Screenshots are kept in the artefacts folder.

Usage: richedit_window_test.py --wine WINE_RUN --gallery GALLERY_EXE --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import re
import sys
import time

from vexoharness.checks import check, run_main, xdotool
from vexoharness.hostlog import LogHost
from vexoharness.screens import Picture

BAR_WIDTH = 12  # the gallery skin's vertical scroll bar
INSET = 1       # the rich edits' border inset


class Gallery(LogHost):
    def __init__(self, args):
        super().__init__("richedit", args.artifacts,
                         lambda log: [args.wine, args.gallery, "--log", log])


def dark_pixels(picture, box):
    """Pixels of text (dark on the white ground) inside box, the scroll bar left out."""
    left, top, right, bottom = box
    width = right - left - BAR_WIDTH - 2 * INSET
    return sum(1 for y in range(top + 2, bottom - 2, 1) for x in range(left + 2, left + width)
               if picture.brightness(x, y) < 110)


def scroll_position(gallery, timeout=10):
    return int(gallery.wait(r"^scroll richtext 0 (\d+)$", timeout).group(1))


def scrolled_since(gallery, mark):
    """Whether the text was logged scrolled down at any point after the mark."""
    return gallery.count(r"^scroll richtext 0 [1-9]\d*$", mark) > 0


def last_position(gallery, mark):
    """The scroll position logged last after the mark, or None."""
    found = re.findall(r"^scroll richtext 0 (\d+)$", "\n".join(gallery.lines()[mark:]),
                       re.MULTILINE)
    return int(found[-1]) if found else None


def open_page(gallery):
    gallery.wait(r"^ready$", 60)
    time.sleep(0.5)
    gallery.click("nav_richedit")
    gallery.wait(r"^notify tabselect pages \d+$")
    gallery.wait(r"^control richtext RichEditUI -?\d+ -?\d+ -?\d+ -?\d+ 1$")
    time.sleep(0.6)


def painted_text(gallery):
    shot = Picture(gallery.shot("page"))
    for name in ("richtext", "richread"):
        count = dark_pixels(shot, gallery.screen_rect(name))
        check(count > 150, "%s: its text is painted inside it (%d dark pixels)" % (name, count))


def scrolling(gallery):
    left, top, right, bottom = gallery.screen_rect("richtext")
    xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
    time.sleep(0.2)
    for _ in range(3):
        xdotool("click", 5)
        time.sleep(0.1)
    check(scroll_position(gallery) > 0, "the wheel scrolls the text down")
    gallery.shot("wheel")
    # The bar's up arrow at its top brings the text back one line at a time.
    arrow = (right - INSET - BAR_WIDTH // 2, top + INSET + BAR_WIDTH // 2)
    mark = gallery.mark()
    for _ in range(12):
        xdotool("mousemove", *arrow, "click", 1)
        time.sleep(0.15)
    time.sleep(0.5)
    position = last_position(gallery, mark)
    check(position == 0, "the scroll bar's arrow scrolls the text back to the top (%s)"
          % position)


def typing(gallery):
    left, top, right, bottom = gallery.screen_rect("richtext")
    xdotool("mousemove", left + 40, top + 12, "click", 1)
    time.sleep(0.4)
    mark = gallery.mark()
    xdotool("key", "ctrl+End")
    xdotool("type", "--delay", "60", "Hello")
    xdotool("key", "Return")
    xdotool("type", "--delay", "60", "World")
    text = gallery.wait(r"^text richtext (\S+World)$", 20).group(1)
    check(text.endswith("last_one.Hello__World"),
          "typing goes to the end of the text, Enter breaks the line: %s" % text[-40:])
    check(scrolled_since(gallery, mark), "the text follows the caret down")
    time.sleep(0.5)
    gallery.shot("typed")

    left, top, right, bottom = gallery.screen_rect("richread")
    mark = gallery.mark()
    xdotool("mousemove", left + 40, top + 12, "click", 1)
    time.sleep(0.4)
    xdotool("type", "--delay", "60", "zzz")
    time.sleep(1.0)
    check(gallery.count(r"^text richread ", mark) == 0, "the read-only rich edit takes no typing")
    gallery.shot("readonly")


def gallery_page(args):
    gallery = Gallery(args)
    try:
        open_page(gallery)
        painted_text(gallery)
        scrolling(gallery)
        typing(gallery)
        gallery.click("closebtn")
        check(gallery.finish() == 0, "the gallery closes with exit code 0")
    finally:
        gallery.stop()


def main():
    return run_main([gallery_page])


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""The gallery's input page in a real window, driven with xdotool: typing into an edit brings
"textchanged" and the text, Enter sends "return", a password edit shows masks (the same picture
for any four characters), a number-only edit refuses letters and stops at its maxchar, and the
date picker changes the date with the Up key ("datetimechange"). Screenshots of the steps are
kept in the artefacts folder.

Usage: input_window_test.py --wine WINE_RUN --gallery GALLERY_EXE --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))

from gallery_test import Gallery  # noqa: E402  (the gallery with its event log)
from vexoharness.checks import check, run_main, xdotool  # noqa: E402
from vexoharness.screens import Picture  # noqa: E402


def show_input_page(gallery):
    gallery.ready()
    gallery.click("nav_input")
    gallery.wait(r"^notify tabselect pages \d+$")
    end = time.monotonic() + 20
    while gallery.controls().get("plain", (0, 0, 0, 0, 0))[4] != 1:
        check(time.monotonic() < end, "the input page is laid out")
        time.sleep(0.2)
    time.sleep(0.5)


def type_into(gallery, name, text):
    """Clicks the field's right part (the text starts at the left) and types."""
    left, top, right, bottom, _ = gallery.controls()[name]
    xdotool("mousemove", *gallery.point(name, right - left - 20), "click", 1)
    time.sleep(0.5)
    xdotool("type", "--delay", "60", text)


def last_text(gallery, name):
    """The control's latest text in the log, or None."""
    lines = [line.split(" ", 2)[2] for line in gallery.lines()
             if line.startswith("text %s " % name)]
    return lines[-1] if lines else None


def dark_pixels(picture, box):
    """The pixels of box clearly darker than the fields' white ground."""
    return sum(1 for rgba in picture.region(*box) if sum(rgba[:3]) < 600)


def field_box(gallery, name):
    """The screen rectangle of a field's text (left, top, width, height)."""
    left, top, right, bottom = gallery.screen_rect(name)
    return left + 8, top + 3, right - left - 16, bottom - top - 6


def edits(args):
    gallery = Gallery(args, "input")
    try:
        show_input_page(gallery)
        gallery.shot("page")

        # A plain edit: every character a change, the text in the log, Enter "return".
        mark = gallery.mark()
        type_into(gallery, "plain", "hello")
        gallery.wait(r"^text plain hello$")
        check(gallery.count(r"^notify textchanged plain", mark) == 5,
              "one textchanged for each typed character")
        xdotool("key", "Return")
        gallery.wait(r"^notify return plain")
        time.sleep(0.5)
        gallery.shot("plain_typed")

        # A password edit: four thin and four wide characters show as the same masks.
        type_into(gallery, "secret", "iiii")
        gallery.wait(r"^text secret iiii$")
        time.sleep(0.4)
        thin = Picture(gallery.shot("secret_thin"))
        xdotool("key", "BackSpace", "BackSpace", "BackSpace", "BackSpace")
        xdotool("type", "--delay", "60", "WWWW")
        gallery.wait(r"^text secret WWWW$")
        time.sleep(0.4)
        wide = Picture(gallery.shot("secret_wide"))
        box = field_box(gallery, "secret")
        check(dark_pixels(wide, box) > 20, "the password field shows something")
        check(wide.difference(box[0], box[1], thin, box[0], box[1], box[2], box[3]) < 1.0,
              "the password field looks the same for iiii and WWWW: masks are shown")

        # Number only, at most six characters.
        type_into(gallery, "number", "12ab34cd5678")
        gallery.wait(r"^text number 123456$")
        time.sleep(0.5)
        check(last_text(gallery, "number") == "123456",
              "letters are refused and typing stops at six characters (%s)"
              % last_text(gallery, "number"))
        check(gallery.count(r"^text number .*[a-z]") == 0, "no letter ever reached the text")
        idle = Picture(gallery.shot("number_typed"))
        check(dark_pixels(idle, box) > 20, "the idle password field paints its masks")

        # The date: Up in the picker's first field, then a click elsewhere.
        before = gallery.first(r"^text date ") or None
        # The click that opens the picker is handed to it: it selects the field clicked.
        xdotool("mousemove", *gallery.point("date", 14), "click", 1)
        time.sleep(0.8)
        gallery.shot("date_open")
        xdotool("key", "Up")
        gallery.wait(r"^notify datetimechange date")
        changed = last_text(gallery, "date")
        check(changed is not None and (before is None or changed != before.group(0)),
              "the new date is the control's text (%s)" % changed)
        gallery.click("plain")
        time.sleep(0.8)
        gallery.shot("date_changed")

        gallery.click("closebtn")
        check(gallery.finish() == 0, "the close button ends the gallery with exit code 0")
    finally:
        gallery.stop()


def main():
    return run_main([edits])


if __name__ == "__main__":
    sys.exit(main())

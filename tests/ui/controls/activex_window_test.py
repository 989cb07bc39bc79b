#!/usr/bin/env python3
"""The ActiveX page of the gallery in a real window under Wine: the project's test control
(registered for the user with regsvr32, as a user would) made in its window and painting its
four quadrants exactly over the host's rectangle, hidden with its page and shown again with it;
and the web browser, which either shows a page or, where the system has no HTML engine (Wine
here), its message in its rectangle with one "navigateerror". Screenshots are kept in the
artefacts folder.

Usage: activex_window_test.py --wine WINE_RUN --gallery GALLERY_EXE --artifacts DIR
                              --control TEST_CONTROL_DLL
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import subprocess
import sys
import time

from vexoharness import wine
from vexoharness.checks import check, run_main
from vexoharness.hostlog import LogHost
from vexoharness.screens import Picture, near

# The test control's quadrants (tests/ui/controls/test_control/TestControlApi.h).
QUADRANTS = {"top left": (230, 30, 40), "top right": (20, 170, 60),
             "bottom left": (30, 60, 220), "bottom right": (240, 200, 20)}


class Gallery(LogHost):
    def __init__(self, args):
        super().__init__("activex", args.artifacts,
                         lambda log: [args.wine, args.gallery, "--log", log])


def quadrant_points(box):
    left, top, right, bottom = box
    qx, qy = (right - left) // 4, (bottom - top) // 4
    return {"top left": (left + qx, top + qy), "top right": (right - qx, top + qy),
            "bottom left": (left + qx, bottom - qy), "bottom right": (right - qx, bottom - qy)}


def quadrants_shown(picture, box):
    """How many of the four quadrants show the control's colour."""
    return sum(1 for name, (x, y) in quadrant_points(box).items()
               if near(picture.rgb(x, y), QUADRANTS[name], 12))


def edges_exact(picture, box):
    """The picture starts and ends exactly at the host's edges: the corners inside are the
    control's, the pixels just outside are not."""
    left, top, right, bottom = box
    inside = near(picture.rgb(left, top), QUADRANTS["top left"], 12) and near(
        picture.rgb(right - 1, bottom - 1), QUADRANTS["bottom right"], 12)
    outside = not near(picture.rgb(left - 1, top - 1), QUADRANTS["top left"], 12) and not near(
        picture.rgb(right, bottom), QUADRANTS["bottom right"], 12)
    return inside and outside


def centre(box):
    left, top, right, bottom = box
    return (left + right) // 2, (top + bottom) // 2


def dark_pixels(picture, box):
    left, top, right, bottom = box
    return sum(1 for y in range(top + 2, bottom - 2) for x in range(left + 2, right - 2)
               if picture.brightness(x, y) < 120)


def open_page(gallery):
    gallery.wait(r"^ready$", 60)
    time.sleep(0.5)
    gallery.click("nav_activex")
    gallery.wait(r"^notify tabselect pages \d+$")
    # The control is made while the page is laid out, before the layout is logged.
    gallery.wait(r"^notify showactivex activex 0$", 30)
    gallery.wait(r"^control activex ActiveXUI -?\d+ -?\d+ -?\d+ -?\d+ 1$")
    time.sleep(0.8)


def control_painted(gallery, suffix):
    shot = Picture(gallery.shot(suffix))
    box = gallery.screen_rect("activex")
    shown = quadrants_shown(shot, box)
    check(shown == 4, "%s: the control's four quadrants fill the host (%d of 4)" % (suffix, shown))
    check(edges_exact(shot, box), "%s: the control's window covers exactly the host's rectangle"
          % suffix)


def hidden_with_page(gallery):
    box = gallery.screen_rect("activex")
    gallery.click("nav_controls")
    gallery.wait(r"^notify tabselect pages 0$")
    time.sleep(0.8)
    shot = Picture(gallery.shot("away"))
    shown = quadrants_shown(shot, box)
    check(shown == 0, "another page shown: the control's window hides (%d quadrants left)" % shown)
    gallery.click("nav_activex")
    gallery.wait(r"^notify tabselect pages \d+$")
    time.sleep(0.8)
    control_painted(gallery, "back")
    check(gallery.count(r"^notify showactivex activex ") == 1, "the control is made once")


def first_seen(gallery, pattern, timeout):
    """The first match anywhere in the log, waited for."""
    end = time.monotonic() + timeout
    while True:
        found = gallery.first(pattern)
        if found or time.monotonic() > end:
            return found
        time.sleep(0.1)


def browser(gallery):
    outcome = first_seen(gallery, r"^notify (navigateerror|documentcomplete) browser (\d+)$", 30)
    check(outcome is not None, "the browser ends its first navigation, one way or the other")
    if outcome is None:
        return
    time.sleep(0.5)
    shot = Picture(gallery.shot("browser"))
    box = gallery.screen_rect("browser")
    # The browser's window beside the control's covers nothing of it.
    shown = quadrants_shown(shot, gallery.screen_rect("activex"))
    check(shown == 4, "beside the browser, the control's four quadrants still fill its host "
          "(%d of 4)" % shown)
    if outcome.group(1) == "documentcomplete":
        # "about:blank": an empty white page, nothing dark in the browser's rectangle.
        count = dark_pixels(shot, box)
        check(count == 0 and shot.brightness(*centre(box)) > 200,
              "the browser shows its blank page (%d dark pixels, brightness %d in the middle)"
              % (count, shot.brightness(*centre(box))))
        return
    check(int(outcome.group(2)) >= 0x80000000, "navigateerror carries the failure (0x%x)"
          % int(outcome.group(2)))
    count = dark_pixels(shot, box)
    check(count > 200, "no HTML engine: the browser's message is drawn in it (%d dark pixels)"
          % count)
    time.sleep(1.0)
    check(gallery.count(r"^notify navigateerror browser ") == 1, "navigateerror is sent once")


def register(args):
    result = subprocess.run([args.wine, "regsvr32", "/s", wine.windows_path(args.control)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    check(result.returncode == 0, "the test control registers for the user (regsvr32: %d)"
          % result.returncode)


def gallery_page(args):
    register(args)
    gallery = Gallery(args)
    try:
        open_page(gallery)
        control_painted(gallery, "page")
        browser(gallery)
        hidden_with_page(gallery)
        gallery.click("closebtn")
        check(gallery.finish() == 0, "the gallery closes with exit code 0")
    finally:
        gallery.stop()


def main():
    return run_main([gallery_page], options=("wine", "gallery", "artifacts", "control"))


if __name__ == "__main__":
    sys.exit(main())

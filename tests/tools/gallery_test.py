#!/usr/bin/env python3
"""The gallery in a real window on the test display, driven with xdotool: switching pages, the
wheel and a thumb drag scrolling lists, the stand-alone scroll bar, dragging and clicking the
switches, the hover animation, and no timer at all while no animation is in sight. Then the
gallery as a skin previewer: the installer's own skin from its folder and from a ZIP file, and
skins that cannot be shown (a markup error, a missing file, a document without controls), which
must say why and end with exit code 1. Screenshots of every step are kept in the artefacts
folder.

The gallery's event log has the format of the window-base test host's (window_base_test.py):
both are driven through vexoharness.hostlog.

Usage: gallery_test.py --wine WINE_RUN --gallery GALLERY_EXE --installer-skin DIR
                       --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

from vexoharness.checks import check, run_main, xdotool, xdotool_output
from vexoharness.hostlog import LogHost
from vexoharness.screens import near, pixel

WINDOW_TITLE = "SkinUI gallery"
ACCENT = (61, 123, 224)  # the selected navigation option


class Gallery(LogHost):
    """One run of the gallery with its event log (tools/gallery/GalleryWindow.h)."""

    def __init__(self, args, name, *skin):
        super().__init__(name, args.artifacts,
                         lambda log: [args.wine, args.gallery, "--log", log] + list(skin),
                         stderr=subprocess.PIPE)

    def ready(self):
        self.wait(r"^ready$", 60)
        time.sleep(0.5)  # the first paint reaches the screen


def region_differs(before, after, box):
    """Whether two screenshots differ inside box (left, top, right, bottom)."""
    left, top, right, bottom = box
    crop = "%dx%d+%d+%d" % (right - left, bottom - top, left, top)
    result = subprocess.run(["compare", "-metric", "AE", "-crop", crop, before, after, "null:"],
                            capture_output=True, text=True, timeout=30)
    changed = re.findall(r"[\d.e+]+", result.stderr)
    return bool(changed) and float(changed[0]) > 0


def focus(window):
    """Gives a window (a message box) the keyboard focus by a click near its top-left corner
    (there is no window manager on the test display to activate it)."""
    geometry = dict(line.split("=") for line in
                    xdotool_output("getwindowgeometry", "--shell", window).split())
    xdotool("mousemove", int(geometry["X"]) + 12, int(geometry["Y"]) + 8, "click", 1)
    time.sleep(0.3)


def close_with_alt_f4(gallery, point, attempts=3):
    """Clicks an inactive point of the window (there is no window manager on the test display
    to give it the focus) and presses Alt+F4; the exit code. A key pressed while the focus is
    still on its way is lost now and then on a busy display, so the pair is tried again."""
    for _ in range(attempts):
        xdotool("mousemove", point[0], point[1], "click", 1)
        time.sleep(0.5)
        xdotool("key", "alt+F4")
        try:
            return gallery.process.wait(timeout=8)
        except subprocess.TimeoutExpired:
            continue
    return gallery.finish()


def own_skin(args):
    gallery = Gallery(args, "gallery")
    try:
        gallery.ready()
        first = gallery.shot("controls")
        check(near(pixel(first, *gallery.point("nav_controls")), ACCENT),
              "the first page's navigation option is drawn selected")
        ticks = gallery.ticks_during(2.0)
        check(ticks == 0, "no timer runs while no animation is visible (%d ticks)" % ticks)

        # The switches: drag the two-position knob from its right end to the left, then click
        # the three-position switch at its right end.
        left, top, right, bottom = gallery.screen_rect("switch")
        gallery.drag((right - 14, (top + bottom) // 2), (left + 20 - right, 0))
        gallery.wait(r"^value switch 0$")
        left, top, right, bottom = gallery.screen_rect("switch3")
        xdotool("mousemove", right - 4, (top + bottom) // 2, "click", 1)
        gallery.wait(r"^value switch3 2$")
        gallery.shot("switched")

        # Pages: the tab options show the lists.
        gallery.click("nav_lists")
        gallery.wait(r"^notify tabselect pages 1$")
        time.sleep(0.6)
        before = gallery.shot("lists")
        check(near(pixel(before, *gallery.point("nav_lists")), ACCENT),
              "the lists' navigation option is drawn selected")

        # The wheel over the tile grid scrolls it.
        xdotool("mousemove", *gallery.point("tiles"))
        time.sleep(0.2)
        for _ in range(3):
            xdotool("click", 5)
            time.sleep(0.1)
        scrolled = gallery.wait(r"^scroll tiles 0 (\d+)$")
        check(int(scrolled.group(1)) > 0, "the wheel scrolls the tile grid")
        time.sleep(0.4)
        after = gallery.shot("tiles_scrolled")
        check(region_differs(before, after, gallery.screen_rect("tiles")),
              "the scrolled tiles are painted anew")

        # Dragging the row list's thumb scrolls the rows.
        rows = gallery.screen_rect("rows")
        gallery.drag((rows[2] - 7, rows[1] + 20), (0, 120))
        moved = gallery.wait(r"^scroll rows 0 (\d+)$")
        check(int(moved.group(1)) > 100, "the thumb drag scrolls the rows far")
        gallery.shot("rows_dragged")

        # The stand-alone bar steps by its line size and notifies.
        solo = gallery.screen_rect("solo")
        xdotool("mousemove", solo[2] - 5, (solo[1] + solo[3]) // 2, "click", 1)
        gallery.wait(r"^notify scroll solo")
        gallery.wait(r"^value solo 35$")

        # The animations run while their page shows, and stop when it goes.
        gallery.click("nav_animation")
        gallery.wait(r"^notify tabselect pages 2$")
        time.sleep(0.5)
        check(gallery.ticks_during(1.0) > 10, "the animations tick while shown")
        gallery.shot("animation")
        xdotool("mousemove", *gallery.point("heart"))
        gallery.wait(r"^notify mouseenter heart")
        time.sleep(0.3)
        gallery.shot("animation_hover")
        gallery.click("nav_layouts")
        gallery.wait(r"^notify tabselect pages 3$")
        time.sleep(0.6)
        gallery.shot("layouts")
        ticks = gallery.ticks_during(1.5)
        check(ticks == 0, "no timer runs once the animation page is hidden (%d ticks)" % ticks)

        gallery.click("closebtn")
        check(gallery.finish() == 0, "the close button ends the gallery with exit code 0")
        check(gallery.count(r"^exit ") == 1, "the modal loop ended")
    finally:
        gallery.stop()


def installer_skin(args):
    # The installer's skin from its folder and packed into a ZIP file.
    archive = os.path.join(args.artifacts, "installer_skin.zip")
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for name in sorted(os.listdir(args.installer_skin)):
            z.write(os.path.join(args.installer_skin, name), name)
    for name, skin in (("installer_folder", args.installer_skin), ("installer_zip", archive)):
        gallery = Gallery(args, name, skin, "VexoInsatllView.xml")
        try:
            gallery.ready()
            time.sleep(1.0)
            gallery.shot("window")
            check("InstallVexoBtn" in gallery.controls(),
                  "%s: the installer's install button is built" % name)
            x, y = gallery.origin()
            check(close_with_alt_f4(gallery, (x + 490, y + 200)) == 0,
                  "%s: Alt+F4 ends the preview" % name)
        finally:
            gallery.stop()


def failing_skins(args):
    broken = os.path.join(args.artifacts, "broken_skin")
    shutil.rmtree(broken, ignore_errors=True)
    os.makedirs(broken)
    with open(os.path.join(broken, "broken.xml"), "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="utf-8"?>\n<Window size="300,200">\n'
                '  <VerticalLayout>\n    <Label text="unterminated />\n  </VerticalLayout>\n'
                '</Window>\n')
    with open(os.path.join(broken, "empty.xml"), "w", encoding="utf-8") as f:
        f.write('<Window size="300,200"><Font id="0" name="Tahoma" size="12"/></Window>\n')
    with open(os.path.join(broken, "unknown.xml"), "w", encoding="utf-8") as f:
        f.write('<Window size="300,200">\n<VerticalLayout>\n  <Label text="known"/>\n'
                '  <Widget><Label/></Widget>\n</VerticalLayout>\n</Window>\n')
    cases = (("markup_error", "broken.xml", r"broken\.xml, line 4: .+"),
             ("unknown_element", "unknown.xml", r'unknown\.xml, line 4: unknown element "Widget"'),
             ("missing_file", "nothere.xml", r"nothere\.xml: .+"),
             ("no_controls", "empty.xml", r"empty\.xml: no control could be built"))
    for name, markup, expected in cases:
        gallery = Gallery(args, name, broken, markup)
        try:
            box = None
            end = time.monotonic() + 60
            while box is None and time.monotonic() < end and gallery.process.poll() is None:
                found = xdotool_output("search", "--name", WINDOW_TITLE).split()
                box = found[0] if found else None
                time.sleep(0.3)
            check(box is not None, "%s: an error box appears" % name)
            if box is not None:
                time.sleep(0.5)
                gallery.shot("error_box")
                focus(box)
                xdotool("key", "Return")
            code = gallery.finish()
            reason = gallery.process.stderr.read().decode("utf-8", "replace")
            check(code == 1, "%s: exit code 1 (got %s)" % (name, code))
            check(re.search(expected, reason) is not None,
                  "%s: the reason names the file and says why: %r" % (name, reason))
            check(gallery.count(r"^failed ") == 1, "%s: the reason is logged" % name)
        finally:
            gallery.stop()


def main():
    return run_main([own_skin, installer_skin, failing_skins],
                    ("wine", "gallery", "installer-skin", "artifacts"))


if __name__ == "__main__":
    sys.exit(main())

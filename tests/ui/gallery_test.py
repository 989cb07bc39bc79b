#!/usr/bin/env python3
"""The gallery in a real window on the test display, driven with xdotool: switching pages, the
wheel and a thumb drag scrolling lists, the stand-alone scroll bar, dragging and clicking the
switches, the hover animation, and no timer at all while no animation is in sight. Then the
gallery as a skin previewer: the installer's own skin from its folder and from a ZIP file, and
skins that cannot be shown (a markup error, a missing file), which must say why and end with
exit code 1. Screenshots of every step are kept in the artefacts folder.

Usage: gallery_test.py --wine WINE_RUN --gallery GALLERY_EXE --installer-skin DIR
                       --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

WINDOW_TITLE = "SkinUI gallery"
ACCENT = (61, 123, 224)  # the selected navigation option

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=20,
                          capture_output=True, text=True).stdout


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=True, timeout=30)


def pixel(path, x, y):
    text = subprocess.run(
        ["convert", path, "-format", "%%[pixel:p{%d,%d}]" % (x, y), "info:"],
        check=True, capture_output=True, text=True, timeout=30).stdout
    values = re.findall(r"\d+", text)
    return tuple(int(v) for v in values[:3])


def region_differs(before, after, box):
    """Whether two screenshots differ inside box (left, top, right, bottom)."""
    left, top, right, bottom = box
    crop = "%dx%d+%d+%d" % (right - left, bottom - top, left, top)
    result = subprocess.run(["compare", "-metric", "AE", "-crop", crop, before, after, "null:"],
                            capture_output=True, text=True, timeout=30)
    changed = re.findall(r"[\d.e+]+", result.stderr)
    return bool(changed) and float(changed[0]) > 0


def near(a, b, tolerance=24):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


class Gallery:
    """One run of the gallery with its event log (see tools/gallery/GalleryWindow.h)."""

    def __init__(self, args, name, *skin):
        self.name = name
        self.artifacts = args.artifacts
        self.log_path = os.path.join(args.artifacts, name + ".log")
        if os.path.exists(self.log_path):
            os.remove(self.log_path)
        self.process = subprocess.Popen(
            [args.wine, args.gallery, "--log", "Z:" + self.log_path.replace("/", "\\")] +
            list(skin), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.read = 0
        self.window = (0, 0, 0, 0)
        self.origin = (0, 0)

    def lines(self):
        try:
            with open(self.log_path, encoding="ascii", errors="replace") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def wait(self, pattern, timeout=30.0):
        """The first log line after the last one waited for that matches pattern."""
        regex = re.compile(pattern)
        end = time.monotonic() + timeout
        while True:
            ended = self.process.poll() is not None
            lines = self.lines()
            for i in range(self.read, len(lines)):
                match = regex.search(lines[i])
                if match:
                    self.read = i + 1
                    return match
            if ended or time.monotonic() > end:
                raise AssertionError("%s: no log line /%s/ within %.0f s" %
                                     (self.name, pattern, timeout))
            time.sleep(0.05)

    def ready(self):
        match = self.wait(r"^ready (-?\d+) (-?\d+) (-?\d+) (-?\d+)", 60)
        self.window = tuple(int(v) for v in match.groups())
        self.origin = self.window[:2]
        time.sleep(0.5)  # the first paint reaches the screen

    def mark(self):
        return len(self.lines())

    def count(self, pattern, since):
        regex = re.compile(pattern)
        return sum(1 for line in self.lines()[since:] if regex.search(line))

    def control(self, name):
        """(left, top, right, bottom) on the screen of a named control at the latest layout."""
        found = None
        for line in self.lines():
            parts = line.split()
            if parts[:2] == ["control", name] and len(parts) == 8:
                found = [int(v) for v in parts[3:7]]
        if found is None:
            raise AssertionError("%s: control %s never logged" % (self.name, name))
        x, y = self.origin
        return (found[0] + x, found[1] + y, found[2] + x, found[3] + y)

    def centre(self, name):
        left, top, right, bottom = self.control(name)
        return (left + right) // 2, (top + bottom) // 2

    def click(self, x, y):
        xdotool("mousemove", x, y)
        time.sleep(0.15)
        xdotool("click", 1)

    def shot(self, step):
        path = os.path.join(self.artifacts, "%s_%s.png" % (self.name, step))
        screenshot(path)
        return path

    def close(self, timeout=20):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise AssertionError("%s: the gallery did not end" % self.name)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def focus(window):
    """Gives a window (a message box) the keyboard focus by a click near its top-left corner
    (there is no window manager on the test display to activate it)."""
    geometry = dict(line.split("=") for line in
                    xdotool("getwindowgeometry", "--shell", window).split())
    xdotool("mousemove", int(geometry["X"]) + 12, int(geometry["Y"]) + 8)
    time.sleep(0.15)
    xdotool("click", 1)
    time.sleep(0.3)


def drag(x0, y0, x1, y1, steps=8, hold=0.25):
    xdotool("mousemove", x0, y0)
    time.sleep(0.15)
    xdotool("mousedown", 1)
    time.sleep(0.1)
    for i in range(1, steps + 1):
        xdotool("mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        time.sleep(0.04)
    time.sleep(hold)  # the drag is applied on the control's timer
    xdotool("mouseup", 1)


def own_skin(args):
    gallery = Gallery(args, "gallery")
    try:
        gallery.ready()
        first = gallery.shot("controls")
        check(near(pixel(first, *gallery.centre("nav_controls")), ACCENT),
              "the first page's navigation option is drawn selected")

        # Nothing animates on the first page: not one timer tick.
        mark = gallery.mark()
        time.sleep(2.0)
        check(gallery.count(r"^timer$", mark) == 0,
              "no timer runs while no animation is visible (%d ticks)" %
              gallery.count(r"^timer$", mark))

        # The switches: drag the two-position knob from its right end to the left, then
        # click the three-position switch at its right end.
        left, top, right, bottom = gallery.control("switch")
        drag(right - 14, (top + bottom) // 2, left + 6, (top + bottom) // 2)
        gallery.wait(r"^value switch 0$")
        left, top, right, bottom = gallery.control("switch3")
        gallery.click(right - 4, (top + bottom) // 2)
        gallery.wait(r"^value switch3 2$")
        gallery.shot("switched")

        # Pages: the tab options show the lists.
        gallery.click(*gallery.centre("nav_lists"))
        gallery.wait(r"^notify tabselect pages 1$")
        time.sleep(0.6)
        before = gallery.shot("lists")
        tiles = gallery.control("tiles")
        check(near(pixel(before, *gallery.centre("nav_lists")), ACCENT),
              "the lists' navigation option is drawn selected")

        # The wheel over the tile grid scrolls it.
        xdotool("mousemove", (tiles[0] + tiles[2]) // 2, (tiles[1] + tiles[3]) // 2)
        time.sleep(0.2)
        for _ in range(3):
            xdotool("click", 5)
            time.sleep(0.1)
        scrolled = gallery.wait(r"^scroll tiles 0 (\d+)$")
        check(int(scrolled.group(1)) > 0, "the wheel scrolls the tile grid")
        time.sleep(0.4)
        after = gallery.shot("tiles_scrolled")
        check(region_differs(before, after, tiles), "the scrolled tiles are painted anew")

        # Dragging the row list's thumb scrolls the rows.
        rows = gallery.control("rows")
        thumb_x, thumb_y = rows[2] - 7, rows[1] + 20
        drag(thumb_x, thumb_y, thumb_x, thumb_y + 120)
        moved = gallery.wait(r"^scroll rows 0 (\d+)$")
        check(int(moved.group(1)) > 100, "the thumb drag scrolls the rows far")
        gallery.shot("rows_dragged")

        # The stand-alone bar steps by its line size and notifies.
        solo = gallery.control("solo")
        gallery.click(solo[2] - 5, (solo[1] + solo[3]) // 2)
        gallery.wait(r"^notify scroll solo")
        gallery.wait(r"^value solo 35$")

        # The animations run while their page shows, and stop when it goes.
        gallery.click(*gallery.centre("nav_animation"))
        gallery.wait(r"^notify tabselect pages 2$")
        time.sleep(0.5)
        mark = gallery.mark()
        time.sleep(1.0)
        check(gallery.count(r"^timer$", mark) > 10, "the animations tick while shown")
        gallery.shot("animation")
        xdotool("mousemove", *gallery.centre("heart"))
        gallery.wait(r"^notify mouseenter heart")
        time.sleep(0.3)
        gallery.shot("animation_hover")
        gallery.click(*gallery.centre("nav_layouts"))
        gallery.wait(r"^notify tabselect pages 3$")
        time.sleep(0.6)
        gallery.shot("layouts")
        mark = gallery.mark()
        time.sleep(1.5)
        check(gallery.count(r"^timer$", mark) == 0,
              "no timer runs once the animation page is hidden (%d ticks)" %
              gallery.count(r"^timer$", mark))

        gallery.click(*gallery.centre("closebtn"))
        check(gallery.close() == 0, "the close button ends the gallery with exit code 0")
        check(gallery.count(r"^exit ", 0) == 1, "the modal loop ended")
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
            check(gallery.count(r"^control InstallVexoBtn ", 0) == 1,
                  "%s: the installer's install button is built" % name)
            window = xdotool("search", "--name", WINDOW_TITLE).split()
            check(len(window) >= 1, "%s: the preview window is on the display" % name)
            # A click on the picture below the caption focuses the window (no window manager
            # on the test display activates it).
            left, top, right, _ = gallery.window
            gallery.click((left + right) // 2, top + 200)
            time.sleep(0.3)
            xdotool("key", "alt+F4")
            check(gallery.close() == 0, "%s: Alt+F4 ends the preview" % name)
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
    cases = (("markup_error", "broken.xml", r"broken\.xml, line 4: .+"),
             ("missing_file", "nothere.xml", r"nothere\.xml: .+"),
             ("no_controls", "empty.xml", r"empty\.xml: no control could be built"))
    for name, markup, expected in cases:
        gallery = Gallery(args, name, broken, markup)
        try:
            box = None
            end = time.monotonic() + 60
            while box is None and time.monotonic() < end and gallery.process.poll() is None:
                found = subprocess.run(["xdotool", "search", "--name", WINDOW_TITLE],
                                       capture_output=True, text=True).stdout.split()
                box = found[0] if found else None
                time.sleep(0.3)
            check(box is not None, "%s: an error box appears" % name)
            if box is not None:
                time.sleep(0.5)
                gallery.shot("error_box")
                focus(box)
                xdotool("key", "Return")
            code = gallery.close()
            reason = gallery.process.stderr.read().decode("utf-8", "replace")
            check(code == 1, "%s: exit code 1 (got %s)" % (name, code))
            check(re.search(expected, reason) is not None,
                  "%s: the reason names the file and says why: %r" % (name, reason))
            check(gallery.count(r"^failed ", 0) == 1, "%s: the reason is logged" % name)
        finally:
            gallery.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", required=True)
    parser.add_argument("--gallery", required=True)
    parser.add_argument("--installer-skin", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)
    for part in (own_skin, installer_skin, failing_skins):
        try:
            part(args)
        except AssertionError as error:
            check(False, "%s: %s" % (part.__name__, error))
    print("screenshots in", args.artifacts)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

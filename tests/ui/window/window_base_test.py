#!/usr/bin/env python3
"""The skinned window base in a real window: sample_window_host.exe opens the sample skin from a
folder, a ZIP file and a ZIP resource; xdotool moves, presses and types on the test display and
the host's log tells what the window did. Screenshots (normal, hovered and pressed button, the
error box) are kept in the artefacts folder.

Usage: window_base_test.py --wine WINE_RUN --host HOST_EXE --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import argparse
import os
import subprocess
import sys
import time

from vexoharness.checks import check, run_parts, summary, xdotool
from vexoharness.hostlog import LogHost
from vexoharness.screens import near, pixel

# Colours of the sample skin's "Click me" button face (button.png): normal, hot, pushed.
FACE_NORMAL = (40, 120, 200)
FACE_HOT = (90, 170, 245)
FACE_PUSHED = (20, 70, 140)
TITLE_TOP = (30, 60, 120)


class Host(LogHost):
    """One run of the host program with its log."""

    def __init__(self, args, name, source, *extra):
        super().__init__(name, args.artifacts,
                         lambda log: [args.wine, args.host, source, log] + list(extra))


def wait_for_pixel(host, suffix, x, y, expected, timeout=3.0):
    """Screenshots until the pixel has the expected colour; the last screenshot stays. (The
    window paints after the events that the log reports, so the screen may lag behind.)"""
    end = time.monotonic() + timeout
    while True:
        path = host.shot(suffix)
        colour = pixel(path, x, y)
        if near(colour, expected) or time.monotonic() > end:
            return colour
        time.sleep(0.2)


def slider_value_at(rect, x, thumb=16, low=0, high=100):
    """The slider's value for a pointer at client x (the thumb centred on it)."""
    left, _, right, _, _ = rect
    if x >= right - thumb // 2:
        return high
    if x <= left + thumb // 2:
        return low
    return low + (high - low) * (x - thumb // 2 - left) // (right - left - thumb)


def open_sample(args, name, source, *extra):
    xdotool("mousemove", 0, 0)
    host = Host(args, name, source, *extra)
    host.wait(r"^notify windowinit root")
    host.wait(r"^control root ")
    return host


def appearance(host):
    region = host.first(r"^region (\d+) (\d) (\d)")
    check(region is not None and region.groups() == ("3", "0", "1"),
          "%s: the window has a rounded region (type 3, corner outside, centre inside): %s"
          % (host.name, region and region.groups()))
    icon = host.first(r"^icon (\d) (\d)")
    check(icon is not None and icon.groups() == ("1", "1"),
          "%s: the window has its big and small icons" % host.name)
    x0, y0 = host.origin()
    title = wait_for_pixel(host, "normal", x0 + 20, y0 + 1, TITLE_TOP, timeout=10.0)
    check(near(title, TITLE_TOP, 24), "%s: the title band is drawn" % host.name)
    path = os.path.join(host.artifacts, "%s_normal.png" % host.name)
    check(not near(pixel(path, x0, y0), TITLE_TOP, 24),
          "%s: the window's corner pixel is cut away by the region" % host.name)
    bx, by = host.point("clickbtn", 6, 6)
    check(near(pixel(path, bx, by), FACE_NORMAL),
          "%s: the button shows its normal image" % host.name)


def button_states_and_click(host):
    bx, by = host.point("clickbtn", 6, 6)
    cx, cy = host.point("clickbtn")
    since = host.mark()
    xdotool("mousemove", cx, cy)
    colour = wait_for_pixel(host, "hovered", bx, by, FACE_HOT)
    check(near(colour, FACE_HOT),
          "%s: the hovered button shows its hot image (%s)" % (host.name, colour))
    xdotool("mousedown", 1)
    colour = wait_for_pixel(host, "pressed", bx, by, FACE_PUSHED)
    check(near(colour, FACE_PUSHED),
          "%s: the pressed button shows its pushed image (%s)" % (host.name, colour))
    xdotool("mouseup", 1)
    host.wait(r"^notify click clickbtn")
    time.sleep(0.5)
    check(host.count(r"^notify click clickbtn", since) == 1,
          "%s: one click notifies once" % host.name)

    # Pressed, dragged off the button and released there: no click.
    since = host.mark()
    host.drag((cx, cy), (0, 200))
    time.sleep(0.5)
    check(host.count(r"^notify click clickbtn", since) == 0,
          "%s: a release outside the button sends no click" % host.name)


def options_and_check_box(host):
    since = host.mark()
    host.click("opt2")
    group = host.wait(r"^group colors (.*)")
    check(group.group(1) == "opt1=0 opt2=1 opt3=0",
          "%s: opt2 alone is selected: %s" % (host.name, group.group(1)))
    host.click("opt3")
    group = host.wait(r"^group colors (.*)")
    check(group.group(1) == "opt1=0 opt2=0 opt3=1",
          "%s: opt3 alone is selected: %s" % (host.name, group.group(1)))
    host.click("opt3")
    host.wait(r"^notify click opt3")
    time.sleep(0.3)
    changes = [line.split()[2] for line in host.lines()[since:]
               if line.startswith("notify selectchanged")]
    check(changes == ["opt2", "opt3"],
          "%s: each new selection notifies once, only from the selected option: %s"
          % (host.name, changes))

    host.click("check")
    check(host.wait(r"^group check (.*)").group(1) == "check=1",
          "%s: the check box is checked" % host.name)
    host.click("check")
    check(host.wait(r"^group check (.*)").group(1) == "check=0",
          "%s: the check box is cleared" % host.name)


def slider(host):
    rect = host.controls()["slider"]
    left, top, right, bottom, _ = rect
    thumb_left = left + 20 * (right - left - 16) // 100  # the skin's value 20
    start = host.point("slider", thumb_left - left + 8, (bottom - top) // 2)
    target_x = left + 8 + (right - left - 16) * 3 // 4
    since = host.mark()
    host.drag(start, (target_x - (thumb_left + 8), 0))
    value = host.wait(r"^value slider (-?\d+)")
    expected = slider_value_at(rect, target_x)
    check(int(value.group(1)) == expected,
          "%s: the slider follows the drag to %d (got %s)" % (host.name, expected, value.group(1)))
    check(host.count(r"^notify valuechanged slider", since) == 1,
          "%s: one valuechanged at the end of the drag" % host.name)


def caption_drag(host):
    x0, y0 = host.origin()
    host.drag(host.point("title"), (100, 60))
    time.sleep(0.5)
    moved = host.origin()
    check(moved == (x0 + 100, y0 + 60),
          "%s: the caption band drags the window: %s -> %s" % (host.name, (x0, y0), moved))

    since = host.mark()
    host.drag(host.point("maxbtn"), (0, 80))
    time.sleep(0.5)
    check(host.origin() == moved, "%s: a press on a caption button does not drag" % host.name)
    check(host.count(r"^notify click maxbtn", since) == 0,
          "%s: and leaving it before the release does not click" % host.name)


def maximise_and_restore(host):
    """maxbtn maximises and gives way to restorebtn; restorebtn undoes both."""
    origin = host.origin()
    for button, state, shown, hidden in (("maxbtn", "maximized", "restorebtn", "maxbtn"),
                                         ("restorebtn", "restored", "maxbtn", "restorebtn")):
        host.click(button)
        host.wait(r"^size " + state)
        host.wait(r"^control root ")
        controls = host.controls()
        check(controls[shown][4] == 1 and controls[hidden][4] == 0,
              "%s: %s, %s is shown and %s hidden" % (host.name, state, shown, hidden))
    check(host.origin() == origin, "%s: the window is back in its place" % host.name)


def close_button(host):
    host.click("closebtn")
    code = host.finish()
    check(code == 0, "%s: the host ends normally (%s)" % (host.name, code))
    check(host.count(r"^exit 1$") == 1, "%s: closebtn closes with result 1" % host.name)


def run_sample(args, name, source):
    host = open_sample(args, name, source)
    try:
        appearance(host)
        button_states_and_click(host)
        options_and_check_box(host)
        slider(host)
        caption_drag(host)
        maximise_and_restore(host)
        close_button(host)
    finally:
        if host.process.poll() is None:
            host.process.kill()


def sample(source):
    """The sample window's checks with its skin from source, as a part of the run."""
    def part(args):
        run_sample(args, source, source)
    part.__name__ = source + "_sample"
    return part


def minimise(args):
    host = open_sample(args, "minimise", "folder", "--close-on-minimize")
    host.click("minbtn")
    host.wait(r"^size minimized")
    check(host.finish() == 0, "minimise: the host ends after minimising")


def alt_f4(args):
    host = open_sample(args, "alt_f4", "zip")
    x, y = host.point("footer")  # an inactive place: only focuses the window
    xdotool("mousemove", x, y, "click", 1)
    time.sleep(0.3)
    xdotool("key", "alt+F4")
    check(host.finish() == 0, "alt_f4: Alt+F4 closes the window")
    check(host.count(r"^exit ") == 1 and host.count(r"^notify click") == 0,
          "alt_f4: closed without a click")


def missing_skin_file(args):
    xdotool("mousemove", 0, 0)
    host = Host(args, "missing_skin", "resource", "--markup", "missing.xml")
    end = time.monotonic() + 30
    box = ""
    while not box and time.monotonic() < end and host.process.poll() is None:
        box = subprocess.run(["xdotool", "search", "--name", "^SkinUI$"], capture_output=True,
                             text=True, timeout=20).stdout.strip()
        time.sleep(0.3)
    check(bool(box), "missing_skin: the error box appears")
    time.sleep(0.5)
    host.shot("error_box")
    xdotool("key", "Return")
    code = host.finish()
    check(code == 1, "missing_skin: the process ends with exit code 1 (%s)" % code)
    check(host.count(r"^window ") == 0, "missing_skin: no window was laid out")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", required=True)
    parser.add_argument("--host", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("window_base_test: needs an X display (run the tests under vexo_on_virtual_display)")
        return 1
    os.makedirs(args.artifacts, exist_ok=True)
    # No window manager runs on the test display: Wine would leave maximising the host's window
    # to one. This per-program setting lets Wine place and size the host's windows itself.
    subprocess.run([args.wine, "reg", "add", r"HKCU\Software\Wine\AppDefaults\%s\X11 Driver"
                    % os.path.basename(args.host), "/v", "Managed", "/d", "N", "/f"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    run_parts([sample(source) for source in ("folder", "zip", "resource")] +
              [minimise, alt_f4, missing_skin_file], args)
    print("screenshots and logs: " + args.artifacts)
    return summary()

if __name__ == "__main__":
    sys.exit(main())

"""Windows programs at other screen densities under Wine, and what their windows must show there.

Wine 8 takes the system density from HKCU\\Control Panel\\Desktop "LogPixels" (else from the
hardware profile's Software\\Fonts "LogPixels"), read when each program starts: density(dpi)
sets it for the programs started inside and puts back what was there before (the suite shares
one prefix). A window at 144 or 192 DPI is 1.5 or 2 times the skin's size, so the display must
be larger than the 1280x1024 of earlier runs (vexoharness.display starts one large enough).
"""
import contextlib
import re
import subprocess
import time

from . import wine
from .checks import check, xdotool_output
from .screens import Picture, screenshot

KEY = r"HKCU\Control Panel\Desktop"
VALUE = "LogPixels"


def scaled(value, dpi):
    """A skin length at dpi, rounded half away from zero as the framework does (UIDpi.h)."""
    product = value * dpi
    return (product + 48) // 96 if product >= 0 else -((-product + 48) // 96)


def _reg(runner, *args):
    return subprocess.run([runner, "reg"] + list(args), capture_output=True, text=True,
                          timeout=120)


def current(runner=wine.WINE_RUN):
    """The prefix's LogPixels under KEY, or None when it has none."""
    out = _reg(runner, "query", KEY, "/v", VALUE).stdout
    match = re.search(VALUE + r"\s+REG_DWORD\s+0x([0-9a-fA-F]+)", out)
    return int(match.group(1), 16) if match else None


@contextlib.contextmanager
def density(dpi, runner=wine.WINE_RUN):
    """Programs started inside see dpi; the value before is restored (or removed) after."""
    before = current(runner)
    _reg(runner, "add", KEY, "/v", VALUE, "/t", "REG_DWORD", "/d", str(dpi), "/f")
    try:
        yield
    finally:
        if before is None:
            _reg(runner, "delete", KEY, "/v", VALUE, "/f")
        else:
            _reg(runner, "add", KEY, "/v", VALUE, "/t", "REG_DWORD", "/d", str(before), "/f")


def geometry(window):
    """(x, y, width, height) of an X window."""
    out = xdotool_output("getwindowgeometry", "--shell", window)
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def wait_for_size(window, size, timeout=10.0):
    """The window's geometry once it has size (a window resized after it is shown takes a
    moment to reach X), or the last one seen."""
    end = time.monotonic() + timeout
    while True:
        found = geometry(window)
        if found[2:] == tuple(size) or time.monotonic() > end:
            return found
        time.sleep(0.3)


def find_window(name, process, timeout=90.0):
    """The first visible X window whose name matches, once it has had time for its first
    paint; None when the process ends or the time runs out first."""
    end = time.monotonic() + timeout
    while time.monotonic() < end and process.poll() is None:
        found = xdotool_output("search", "--onlyvisible", "--name", name).split()
        if found:
            time.sleep(1.5)
            return found[0]
        time.sleep(0.5)
    return None


def ink_rows(picture, left, top, width, height, is_ink):
    """The rows of the rectangle that hold at least one ink pixel (is_ink(rgb))."""
    return [y for y in range(top, top + height)
            if any(is_ink(picture.rgb(x, y)) for x in range(left, left + width))]


def doubled_row_share(picture, left, top, width, height):
    """Of the row pairs (top + 2k, top + 2k + 1) that are not plain, the share whose two rows
    are the same: near 1 for a picture stretched to twice its height (every row drawn twice),
    well below for one drawn at that size (text rendered at the larger font)."""
    pairs = same = 0
    for y in range(top, top + height - 1, 2):
        upper = [picture.rgb(x, y) for x in range(left, left + width)]
        if len(set(upper)) <= 1:
            continue
        pairs += 1
        same += upper == [picture.rgb(x, y + 1) for x in range(left, left + width)]
    return same / pairs if pairs else 1.0


def photograph(dpi, start, skin_size, path, runner=wine.WINE_RUN, margin=0):
    """Starts a program at dpi and photographs its window once it has skin_size scaled.
    start() returns (window id or None, stop); the program is stopped after. Returns
    ((width, height), Picture), or (None, None) when no window showed. With a margin, the
    window and that many pixels around it (its shadow) are also kept, in path's "-framed"
    sibling."""
    # The pointer is parked in the screen's corner, outside every window: a control under it
    # (left there by an earlier test's click) would be photographed in its hover look.
    xdotool_output("mousemove", 0, 0)
    with density(dpi, runner):
        window, stop = start()
        try:
            if not check(window is not None, "%d DPI: the window shows" % dpi):
                return None, None
            size = tuple(scaled(v, dpi) for v in skin_size)
            x, y, width, height = wait_for_size(window, size)
            check((width, height) == size,
                  "%d DPI: the window is %dx%d (it is %dx%d)" % ((dpi,) + size + (width, height)))
            if margin:
                screenshot(path.replace(".png", "-framed.png"),
                           (width + 2 * margin, height + 2 * margin, x - margin, y - margin))
            screenshot(path, (width, height, x, y))
            return (width, height), Picture(path)
        finally:
            stop()


def check_text_scaling(shots, box, is_ink, what):
    """The ink of the text in box (skin units) is as many times higher as the density is above
    96, and at 192 drawn at that size rather than stretched. shots maps densities to Pictures
    and holds 96."""
    rows96 = ink_rows(shots[96], *box, is_ink)
    check(len(rows96) > 5, "96 DPI: %s is there (%d rows)" % (what, len(rows96)))
    for dpi, picture in sorted(shots.items()):
        if dpi == 96:
            continue
        left, top, width, height = (scaled(v, dpi) for v in box)
        rows = ink_rows(picture, left, top, width, height, is_ink)
        ratio = len(rows) / max(1, len(rows96))
        check(abs(ratio - dpi / 96) < 0.25 * dpi / 96,
              "%d DPI: %s is %.2f times as high as at 96" % (dpi, what, ratio))
        if dpi == 192 and rows:
            share = doubled_row_share(picture, left, rows[0], width, rows[-1] - rows[0] + 1)
            check(share < 0.6, "192 DPI: %s is drawn at its size, not stretched (%.0f%% of "
                               "its row pairs doubled)" % (what, 100 * share))

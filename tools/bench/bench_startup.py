#!/usr/bin/env python3
"""Start-up benchmark: the time from starting the installer to its first painted frame, its
memory, and its size, beside an NSIS stub that opens a window of the same size, in one run.
Prints figures only; it checks nothing.

The installer runs stamped, with the client missing, in three situations of its services:
cached artwork and services answering (the stand-in platform on this machine), services refusing
connections (nothing listens on their port) and services not answering (the game-information
service reads the request and says nothing). The NSIS stub runs between the installer's runs, so
that both see the same machine.

What is measured, from outside, as a user would see it: the screen's area where the 980x600
window opens is read (XGetImage) every few milliseconds from the moment the program is started.
"Window shown" is the first change there; the frame the program settles on is the one that then
stays unchanged for a while; "first frame" is the first time that frame was on the screen. The
memory is the Wine process's resident set (peak, and its private part) once the frame settled.

Usage (through scripts/bench.sh startup):
  bench_startup.py --installer EXE --standin-installer EXE --nsis EXE [--runs N]
                   [--size NAME=EXE ...] [--stub-size NAME=EXE ...]
Needs an X display (with a compositing manager, as on a Windows desktop) and Debian's wine.
"""
import argparse
import ctypes
import os
import statistics
import struct
import subprocess
import tempfile
import time

from vexoharness import installer as drv
from vexoharness import wine
from vexoharness.platform import StandInPlatform

WINDOW_SIZE = (980, 600)
# Rows kept of each reading: every ROW_STEP-th row of the window's area, inside a margin that
# tolerates a window placed a few pixels off the centre.
ROW_STEP, MARGIN = 4, 12
SETTLE_SECONDS = 1.5          # unchanged this long: the program's frame has settled
SAME_FRAME_SHARE = 0.98       # rows that must match the settled frame (a caret may blink)
START_TIMEOUT = 120.0
GAME_ID, CHANNEL = "1000450", "bench"


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class Screen:
    """Reads an area of the X screen as the user sees it."""
    ZPIXMAP = 2
    ALL_PLANES = ctypes.c_ulong(-1).value

    def __init__(self):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XDisplayWidth.argtypes = self.x.XDisplayHeight.argtypes = [ctypes.c_void_p,
                                                                           ctypes.c_int]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(None)
        if not self.display:
            raise SystemExit("bench: no X display")
        self.root = self.x.XDefaultRootWindow(self.display)
        width, height = self.x.XDisplayWidth(self.display, 0), self.x.XDisplayHeight(self.display, 0)
        left, top = (width - WINDOW_SIZE[0]) // 2, (height - WINDOW_SIZE[1]) // 2
        self.area = (left + MARGIN, top + MARGIN, WINDOW_SIZE[0] - 2 * MARGIN,
                     WINDOW_SIZE[1] - 2 * MARGIN)

    def rows(self):
        """The kept rows of the window's area, each as a hash of its pixels."""
        left, top, width, height = self.area
        image = self.x.XGetImage(self.display, self.root, left, top, width, height,
                                 self.ALL_PLANES, self.ZPIXMAP)
        if not image:
            raise SystemExit("bench: the screen cannot be read")
        try:
            stride = image.contents.bytes_per_line
            data = ctypes.string_at(image.contents.data, stride * image.contents.height)
        finally:
            self.x.XFree(image.contents.data)
            self.x.XFree(image)
        return tuple(hash(data[y * stride:(y + 1) * stride]) for y in range(0, height, ROW_STEP))


def same_frame(a, b):
    return sum(1 for x, y in zip(a, b) if x == y) >= SAME_FRAME_SHARE * len(a)


def memory_kib(pid):
    """Peak resident set, resident set and its private (anonymous) part, in KiB."""
    values = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("VmHWM", "VmRSS", "RssAnon"):
                values[key] = int(rest.split()[0])
    return values


class Sample:
    def __init__(self, shown, frame, memory, interval):
        self.shown, self.frame, self.memory = shown, frame, memory
        self.interval = interval  # mean time between two readings of the screen


def measure(screen, command):
    """One start of the program: when its window showed, when its settled frame was first on
    the screen (seconds from the start) and its memory then. None when no window showed."""
    baseline = screen.rows()
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    frames, last, shown, last_change, readings = [], baseline, None, None, 0
    try:
        while True:
            now = time.perf_counter() - start
            rows = screen.rows()
            readings += 1
            if rows != last:
                frames.append((now, rows))
                last, last_change = rows, now
                shown = now if shown is None else shown
            if shown is not None and now - last_change >= SETTLE_SECONDS:
                break
            if now > START_TIMEOUT or process.poll() is not None:
                return None
        # The loader execs itself into the Windows program: the process started is the program.
        memory = memory_kib(process.pid)
    finally:
        process.kill()
        process.wait()
        wait_until_screen_is(screen, baseline)
    first = next(t for t, rows in frames if same_frame(rows, last))
    return Sample(shown, first, memory, now / readings)


def wait_until_screen_is(screen, rows, timeout=10.0):
    end = time.monotonic() + timeout
    while screen.rows() != rows and time.monotonic() < end:
        time.sleep(0.05)


def pe_machine(path):
    with open(path, "rb") as f:
        head = f.read(4096)
    offset = struct.unpack_from("<I", head, 0x3C)[0]
    return struct.unpack_from("<H", head, offset + 4)[0]


def stripped_size(path):
    """The file's size once stripped of symbols (the release build already is)."""
    triplet = {0x14C: "i686-w64-mingw32", 0x8664: "x86_64-w64-mingw32"}[pe_machine(path)]
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "stripped.exe")
        subprocess.run([triplet + "-strip", "-o", copy, path], check=True, capture_output=True)
        return os.path.getsize(copy)


def ms(values):
    if not values:
        return "%22s" % "no window"
    return "%6.0f [%5.0f-%5.0f]" % (1000 * statistics.median(values), 1000 * min(values),
                                     1000 * max(values))


def print_row(name, samples):
    ok = [s for s in samples if s is not None]
    peak = max((s.memory.get("VmHWM", 0) for s in ok), default=0) / 1024
    private = max((s.memory.get("RssAnon", 0) for s in ok), default=0) / 1024
    print("  %-46s %s  %s  %6.1f MiB  %6.1f MiB  %d/%d" % (
        name, ms([s.shown for s in ok]), ms([s.frame for s in ok]), peak, private, len(ok),
        len(samples)))


def median_of(samples, field):
    values = [getattr(s, field) for s in samples if s is not None]
    return statistics.median(values) if values else None


def print_ratios(rows):
    """Each of the installer's situations as a multiple of the NSIS stub of the same run."""
    stub = rows.get("NSIS stub", [])
    print("  as a multiple of the NSIS stub (medians):     window shown     first frame")
    for name, samples in rows.items():
        if name == "NSIS stub":
            continue
        ratios = []
        for field in ("shown", "frame"):
            mine, theirs = median_of(samples, field), median_of(stub, field)
            ratios.append("%14.2fx" % (mine / theirs) if mine and theirs else "%15s" % "-")
        print("  %-46s %s  %s" % (name, ratios[0], ratios[1]))


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--standin-installer", required=True)
    parser.add_argument("--nsis", required=True)
    # Executables whose size is printed: the installer's (with its size once stripped: the
    # release build already is) and the NSIS stubs' as built (an NSIS installer keeps its data
    # behind the image, which strip would cut off).
    parser.add_argument("--size", action="append", default=[], metavar="NAME=EXE")
    parser.add_argument("--stub-size", action="append", default=[], metavar="NAME=EXE")
    # Other builds of the installer (another TLS), measured beside it with the services answering.
    parser.add_argument("--variant", action="append", default=[], metavar="NAME=EXE")
    parser.add_argument("--runs", type=int, default=5)
    return parser.parse_args()


def main():
    args = parse_args()
    loader = wine.loader()
    work = tempfile.mkdtemp(prefix="bench_startup")
    installer = [loader, drv.stamp_copy(args.installer, os.path.join(work, "bin"), GAME_ID,
                                        CHANNEL)]
    variants = {}
    for item in args.variant:
        name, _, path = item.partition("=")
        variants["VexoInstall (%s): cached artwork, services answering" % name] = [
            loader, drv.stamp_copy(path, os.path.join(work, "bin-" + name), GAME_ID, CHANNEL)]
    nsis = [loader, args.nsis]
    screen = Screen()
    subprocess.run(["xdotool", "mousemove", "0", "0"], check=False)  # no hover in the window
    drv.forget_client()
    platform_log = os.path.join(work, "requests.jsonl")
    platform = StandInPlatform(args.standin_installer, platform_log)
    rows = {}
    try:
        # Untimed: the first runs load the programs from disk and leave the artwork in the cache.
        measure(screen, installer)
        measure(screen, nsis)
        situations = [("cached artwork, services answering", args.runs),
                      ("services refusing connections", args.runs),
                      ("services not answering", min(args.runs, 3))]
        for situation, runs in situations:
            if situation.startswith("services refusing"):
                platform.stop()
            elif situation.startswith("services not answering"):
                platform = StandInPlatform(args.standin_installer, platform_log,
                                           sets=["gameinfo=hang:300"])
            for _ in range(runs):
                rows.setdefault("VexoInstall: " + situation, []).append(measure(screen, installer))
                rows.setdefault("NSIS stub", []).append(measure(screen, nsis))
                if situation.startswith("cached artwork"):
                    for name, command in variants.items():
                        rows.setdefault(name, []).append(measure(screen, command))
    finally:
        platform.stop()

    intervals = [s.interval for samples in rows.values() for s in samples if s is not None]
    print("start-up, %s build under Wine; the screen was read every %.1f ms (median)" % (
        os.environ.get("VEXO_ARCH", "?"), 1000 * statistics.median(intervals or [0])))
    print("  %-46s %22s  %22s  %10s  %10s  %s" % (
        "program and situation", "window shown, ms", "first frame, ms", "peak RSS", "private",
        "runs"))
    print("  %-46s %22s  %22s" % ("", "median [min-max]", "median [min-max]"))
    for name, samples in rows.items():
        print_row(name, samples)
    print_ratios(rows)
    print("executable sizes:")
    for item in args.size + args.stub_size:
        name, _, path = item.partition("=")
        size = os.path.getsize(path)
        stripped = ", stripped %d bytes" % stripped_size(path) if item in args.size else ""
        print("  %-46s %9d bytes (%6.2f MiB)%s" % (name, size, size / 1048576, stripped))


if __name__ == "__main__":
    main()

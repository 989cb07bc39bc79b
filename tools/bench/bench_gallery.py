#!/usr/bin/env python3
"""Gallery benchmark: the CPU time the gallery's process uses while it sits idle on a page
without animations (the goal: no timer ticks, no repaints, next to no CPU), beside the same
window on its animation page (a spinner, a picture sequence, a GIF and a composite progress bar
running), each over the same span. Prints figures only; it checks nothing.

Usage (through scripts/bench.sh gallery): bench_gallery.py WINE_RUN GALLERY_EXE [SECONDS]
Needs an X display and xdotool.
"""
import os
import sys
import tempfile
import time

from vexoharness.checks import xdotool
from vexoharness.hostlog import LogHost


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(gallery, seconds):
    """CPU seconds and timer messages over the span."""
    before = cpu_seconds(gallery.process.pid)
    timers = gallery.ticks_during(seconds)
    return cpu_seconds(gallery.process.pid) - before, timers


def main():
    wine, exe = sys.argv[1], sys.argv[2]
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0
    # wine-run.sh execs the Wine loader, which becomes the program: the process is the gallery.
    gallery = LogHost("gallery", tempfile.mkdtemp(prefix="bench_gallery"),
                      lambda log: [wine, exe, "--log", log])
    try:
        gallery.wait(r"^ready$", 60)
        time.sleep(2.0)  # start-up settles
        origin = gallery.origin()
        idle_cpu, idle_timers = measure(gallery, seconds)

        x, y = gallery.point("nav_animation")
        xdotool("mousemove", x, y, "click", 1)
        # The pointer leaves the controls, so that no hover changes what is measured.
        xdotool("mousemove", origin[0] + 600, origin[1] + 600)
        time.sleep(1.0)
        busy_cpu, busy_timers = measure(gallery, seconds)

        print("gallery over %.0f s (process CPU time, timer messages):" % seconds)
        print("  idle, no animation in sight   %7.3f s  %5.1f %%  %5d timers" %
              (idle_cpu, 100.0 * idle_cpu / seconds, idle_timers))
        print("  animation page (4 animations) %7.3f s  %5.1f %%  %5d timers" %
              (busy_cpu, 100.0 * busy_cpu / seconds, busy_timers))
    finally:
        gallery.stop()


if __name__ == "__main__":
    main()

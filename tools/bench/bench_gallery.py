#!/usr/bin/env python3
"""Gallery benchmark: the CPU time the gallery's process uses while it sits idle on a page
without animations (the goal: no timer ticks, no repaints, next to no CPU), beside the same
window on its animation page (a spinner, a picture sequence, a GIF and a composite progress bar
running), each over the same span. Prints figures only; it checks nothing.

Usage (through scripts/bench.sh gallery): bench_gallery.py WINE_RUN GALLERY_EXE [SECONDS]
Needs an X display and xdotool.
"""
import os
import re
import subprocess
import sys
import tempfile
import time


def log_lines(path):
    try:
        with open(path, encoding="ascii", errors="replace") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def wait_for(path, pattern, timeout=60.0):
    regex = re.compile(pattern)
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        for line in log_lines(path):
            match = regex.search(line)
            if match:
                return match
        time.sleep(0.1)
    raise SystemExit("no log line /%s/ within %.0f s" % (pattern, timeout))


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(log, pid, seconds):
    """CPU seconds, timer messages and log lines over the span."""
    before_lines = len(log_lines(log))
    before = cpu_seconds(pid)
    time.sleep(seconds)
    used = cpu_seconds(pid) - before
    lines = log_lines(log)[before_lines:]
    return used, sum(1 for line in lines if line == "timer")


def main():
    wine, gallery = sys.argv[1], sys.argv[2]
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0
    folder = tempfile.mkdtemp(prefix="bench_gallery")
    log = os.path.join(folder, "gallery.log")
    process = subprocess.Popen([wine, gallery, "--log", "Z:" + log.replace("/", "\\")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = wait_for(log, r"^window (-?\d+) (-?\d+)")
        origin = int(window.group(1)), int(window.group(2))
        wait_for(log, r"^ready$")
        time.sleep(2.0)  # start-up settles
        pid = process.pid  # wine-run.sh execs the Wine loader, which becomes the program
        idle_cpu, idle_timers = measure(log, pid, seconds)

        nav = wait_for(log, r"^control nav_animation \S+ (\d+) (\d+) (\d+) (\d+)")
        x = origin[0] + (int(nav.group(1)) + int(nav.group(3))) // 2
        y = origin[1] + (int(nav.group(2)) + int(nav.group(4))) // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        # The pointer leaves the controls, so that no hover changes what is measured.
        subprocess.run(["xdotool", "mousemove", str(origin[0] + 600), str(origin[1] + 600)],
                       check=True)
        time.sleep(1.0)
        busy_cpu, busy_timers = measure(log, pid, seconds)

        print("gallery over %.0f s (process CPU time, timer messages):" % seconds)
        print("  idle, no animation in sight   %7.3f s  %5.1f %%  %5d timers" %
              (idle_cpu, 100.0 * idle_cpu / seconds, idle_timers))
        print("  animation page (4 animations) %7.3f s  %5.1f %%  %5d timers" %
              (busy_cpu, 100.0 * busy_cpu / seconds, busy_timers))
    finally:
        process.kill()
        process.wait()


if __name__ == "__main__":
    main()

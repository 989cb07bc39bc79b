"""Windows programs on the display that tell what their window does: in a log file (LogHost:
the log read line by line, the layout and position it reports, xdotool input on its controls)
or on their output (OutputHost: lines handed out as they come, commands sent to their input)."""
import os
import queue
import re
import subprocess
import threading
import time

from . import screens, wine
from .checks import xdotool


class LogHost:
    """One run of a Windows program that logs what its window does, line by line, to a file
    (the window-base test host, the gallery): "window X Y", "moved X Y", "control NAME CLASS
    LEFT TOP RIGHT BOTTOM VISIBLE", "timer", ... make_command(log) is the program's command
    line, given the log file as the program names it; the log is kept in artifacts."""

    def __init__(self, name, artifacts, make_command, stderr=subprocess.DEVNULL):
        self.name = name
        self.artifacts = artifacts
        self.log_path = os.path.join(artifacts, name + ".log")
        if os.path.exists(self.log_path):
            os.remove(self.log_path)
        self.process = subprocess.Popen(make_command(wine.windows_path(self.log_path)),
                                        stdout=subprocess.DEVNULL, stderr=stderr)
        self.read = 0  # log lines already looked at by wait()

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
                raise AssertionError("%s: no log line /%s/ within %.0f s"
                                     % (self.name, pattern, timeout))
            time.sleep(0.05)

    def first(self, pattern):
        """The first match of pattern anywhere in the log, or None."""
        regex = re.compile(pattern)
        for line in self.lines():
            match = regex.search(line)
            if match:
                return match
        return None

    def count(self, pattern, since=0):
        regex = re.compile(pattern)
        return sum(1 for line in self.lines()[since:] if regex.search(line))

    def mark(self):
        return len(self.lines())

    def ticks_during(self, seconds):
        """The timer messages the window logs over the span."""
        mark = self.mark()
        time.sleep(seconds)
        return self.count(r"^timer$", mark)

    def controls(self):
        """name -> (left, top, right, bottom, visible) from the latest layout."""
        found = {}
        for line in self.lines():
            parts = line.split()
            if parts[:1] == ["control"] and len(parts) == 8:
                found[parts[1]] = tuple(int(v) for v in parts[3:8])
        return found

    def origin(self):
        """The window's top-left corner on the screen (latest position logged)."""
        for line in reversed(self.lines()):
            parts = line.split()
            if parts[:1] in (["window"], ["moved"]):
                return int(parts[1]), int(parts[2])
        raise AssertionError(self.name + ": no window position logged")

    def screen_rect(self, name):
        """A named control's rectangle on the screen at the latest layout."""
        left, top, right, bottom, _ = self.controls()[name]
        x, y = self.origin()
        return left + x, top + y, right + x, bottom + y

    def point(self, name, dx=None, dy=None):
        """A screen point on a control: its centre, or an offset from its top-left corner."""
        left, top, right, bottom, _ = self.controls()[name]
        x0, y0 = self.origin()
        x = left + (dx if dx is not None else (right - left) // 2)
        y = top + (dy if dy is not None else (bottom - top) // 2)
        return x0 + x, y0 + y

    def click(self, name):
        x, y = self.point(name)
        xdotool("mousemove", x, y, "click", 1)

    def drag(self, start, delta, steps=8):
        xdotool("mousemove", start[0], start[1], "mousedown", 1)
        time.sleep(0.2)
        for i in range(1, steps + 1):
            xdotool("mousemove", start[0] + delta[0] * i // steps, start[1] + delta[1] * i // steps)
            time.sleep(0.05)
        xdotool("mouseup", 1)

    def shot(self, suffix):
        path = os.path.join(self.artifacts, "%s_%s.png" % (self.name, suffix))
        screens.screenshot(path)
        return path

    def finish(self, timeout=30):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise AssertionError(self.name + ": the host did not end")

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class OutputHost:
    """A program whose output is read line by line as it comes: every line is kept in
    self.lines, and next_line() hands the new ones out in order. With talk=True, send() writes
    commands to its input."""

    def __init__(self, command, talk=False):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE if talk else None,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True, bufsize=1)
        self.lines = []
        self.fresh = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            line = line.rstrip("\r\n")
            self.lines.append(line)
            self.fresh.put(line)
        self.fresh.put(None)

    def next_line(self, deadline):
        """The next new line; None once the output has ended. AssertionError at the
        time.monotonic() deadline, with the last lines."""
        left = deadline - time.monotonic()
        try:
            if left > 0:
                return self.fresh.get(timeout=left)
        except queue.Empty:
            pass
        raise AssertionError("timed out; last lines:\n  " + "\n  ".join(self.lines[-25:]))

    def wait_for(self, predicate, timeout=20.0):
        """Waits for a new line satisfying predicate; returns it."""
        deadline = time.monotonic() + timeout
        while True:
            line = self.next_line(deadline)
            if line is None:
                raise AssertionError("the program ended; last lines:\n  " +
                                     "\n  ".join(self.lines[-25:]))
            if predicate(line):
                return line

    def mark(self):
        """The position in the output from which the next checks read."""
        self.drain()
        return len(self.lines)

    def drain(self):
        """Forgets the new lines not handed out yet."""
        while True:
            try:
                self.fresh.get_nowait()
            except queue.Empty:
                return

    def since(self, mark):
        return self.lines[mark:]

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()

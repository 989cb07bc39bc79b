#!/usr/bin/env python3
"""Input dispatch in a real window: window_input_host.exe (a control tree built in code, see its
header) runs under Wine on the test display and prints what its controls receive; this script
drives the real pointer and keyboard with xdotool and checks the printed events and
notifications.

Usage: window_input_test.py WINE_RUN HOST_EXE
Needs DISPLAY (the test run's Xvfb) and xdotool. Screenshots go to
$VEXO_BINARY_DIR/artifacts/window-input/ when that variable is set.
"""
import os
import subprocess
import sys
import time

from vexoharness.checks import check, summary, xdotool
from vexoharness.hostlog import OutputHost
from vexoharness.screens import screenshot

class Host(OutputHost):
    """The host process and its output, line by line."""

    def __init__(self, runner, exe):
        super().__init__([runner, exe])

    def state(self, attempts=3):
        """The host's state, which it prints on F12. On a busy display a key is lost now and
        then, so a press that gets no answer within a few seconds is repeated."""
        for attempt in range(attempts):
            xdotool("key", "F12")
            try:
                line = self.wait_for(lambda l: l.startswith("state "),
                                     timeout=6 if attempt + 1 < attempts else 20)
                return dict(part.split("=", 1) for part in line.split()[1:])
            except AssertionError:
                if attempt + 1 == attempts:
                    raise

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=30)


def ordered(lines, expected):
    """Whether the expected lines occur in lines in this order (others may lie between)."""
    position = 0
    for line in lines:
        if position < len(expected) and line == expected[position]:
            position += 1
    return position == len(expected)


def settle(host, seconds=0.3):
    time.sleep(seconds)
    host.drain()


def main():
    runner, exe = sys.argv[1], sys.argv[2]
    artifacts = os.environ.get("VEXO_BINARY_DIR")
    if artifacts:
        artifacts = os.path.join(artifacts, "artifacts", "window-input")
        os.makedirs(artifacts, exist_ok=True)

    host = Host(runner, exe)
    try:
        ready = host.wait_for(lambda l: l.startswith("ready "), timeout=120)
        left, top = (int(v) for v in ready.split()[1:3])

        def at(x, y):
            return str(left + x), str(top + y)

        def move(x, y):
            xdotool("mousemove", *at(x, y))

        # A button entering and leaving the hover repaints its own rectangle and nothing else
        # (not its row, not the window), from outside the window and back out.
        button = (300, 0, 360, 60)
        for name, target in (("entering", (330, 30)), ("leaving", (-40, -40))):
            if name == "entering":
                move(-40, -40)
                settle(host, 0.5)
            mark = host.mark()
            move(*target)
            host.wait_for(lambda l: l.startswith("painted "))
            settle(host)
            painted = [tuple(int(v) for v in l.split()[1:]) for l in host.since(mark)
                       if l.startswith("painted ")]
            inside = all(button[0] <= l and button[1] <= t and r <= button[2] and b <= button[3]
                         for l, t, r, b in painted)
            check(painted and inside, "a button %s the hover repaints only itself" % name,
                  [str(p) for p in painted])

        # Hover: entering A, then moving to B: A leaves, B enters, then B moves.
        move(50, 30)
        host.wait_for(lambda l: l == "event hoverA 11 0")
        mark = host.mark()
        move(150, 30)
        host.wait_for(lambda l: l.startswith("event hoverB 9"))
        seen = host.since(mark)
        check(ordered(seen, ["event hoverA 10 0", "event hoverB 11 0"]) and
                      seen.index("event hoverA 10 0") < seen.index("event hoverB 11 0") <
                      next(i for i, l in enumerate(seen) if l.startswith("event hoverB 9")),
                      "moving from A to B: A mouse leave, B mouse enter, B mouse move", seen)
        check(host.state().get("hover") == "hoverB", "B is the hovered control")

        # No tool tip over a control without one; one after the delay over "tipped".
        time.sleep(1.0)
        check(host.state().get("tooltip") == "0", "no tool tip over a control without one")
        move(250, 30)
        time.sleep(1.5)
        check(host.state().get("tooltip") == "1", "the tool tip shows after its delay")
        if artifacts:
            try:
                screenshot(os.path.join(artifacts, "tooltip.png"))
            except (OSError, subprocess.SubprocessError):
                pass  # a picture for people to look at, not a check
        move(50, 30)
        settle(host)
        check(host.state().get("tooltip") == "0", "leaving the control hides the tool tip")

        # Press on A, leave it and the window while held, release outside: A keeps the moves
        # and gets the release; no click.
        move(50, 30)
        settle(host)
        mark = host.mark()
        xdotool("mousedown", "1")
        host.wait_for(lambda l: l == "event hoverA 13 1")
        move(150, 30)
        move(160, 35)
        host.wait_for(lambda l: l.startswith("event hoverA 9") and host.lines.count(l) >= 1)
        state = host.state()
        check(state.get("pressed") == "hoverA" and state.get("capture") == "1",
                      "while held, A stays pressed with the mouse captured", [str(state)])
        move(600, 600)
        time.sleep(0.3)
        xdotool("mouseup", "1")
        host.wait_for(lambda l: l == "done lbuttonup")
        seen = host.since(mark)
        check(any(l.startswith("event hoverA 9") for l in seen[seen.index("event hoverA 13 1"):]) and
                      not any(l.startswith("event hoverB 9") for l in seen),
                      "the pressed control receives the moves, the one under the pointer none", seen)
        check("event hoverA 14 0" in seen, "the release outside goes to the pressed control", seen)
        check(not any(l.startswith("notify click") for l in seen), "a release elsewhere gives no click", seen)
        # Keys go to the window under the pointer (the display has no window manager).
        move(300, 270)
        settle(host)
        state = host.state()
        check(state.get("capture") == "0" and state.get("pressed") == "-",
                      "the capture ends with the release", [str(state)])

        # Press and release over A: exactly one click.
        move(50, 30)
        settle(host)
        mark = host.mark()
        xdotool("click", "1")
        host.wait_for(lambda l: l == "done lbuttonup")
        time.sleep(0.3)
        seen = host.since(mark)
        check(seen.count("notify click hoverA") == 1, "press and release over a control: one click", seen)

        # Tab order: from tab1, Tab skips the invisible and the disabled controls and wraps.
        move(30, 90)
        xdotool("click", "1")
        settle(host)
        check(host.state().get("focus") == "tab1", "a press focuses the control")
        walk = []
        for _ in range(3):
            xdotool("key", "Tab")
            walk.append(host.state().get("focus"))
        check(walk == ["tab2", "tab3", "tab1"], "Tab walks tab1 > tab2 > tab3 > tab1", walk)
        back = []
        for _ in range(3):
            xdotool("key", "shift+Tab")
            back.append(host.state().get("focus"))
        check(back == ["tab3", "tab2", "tab1"], "Shift+Tab walks backwards", back)

        # The wheel reaches the control under the pointer: towards the user 1, away 0.
        move(75, 150)
        settle(host)
        mark = host.mark()
        xdotool("click", "5")
        host.wait_for(lambda l: l.startswith("event wheel 19"))
        xdotool("click", "4")
        host.wait_for(lambda l: l == "event wheel 19 0")
        wheel = [l for l in host.since(mark) if " 19 " in l]
        check(wheel == ["event wheel 19 1", "event wheel 19 0"], "wheel events with direction", wheel)

        # A right click gives the context-menu notification of the pressed control.
        move(225, 150)
        settle(host)
        mark = host.mark()
        xdotool("click", "3")
        line = host.wait_for(lambda l: l.startswith("notify menu"), timeout=5)
        check(line == "notify menu menu", "a right click notifies \"menu\"", host.since(mark))

        # The control timer ticked three times on the window's thread and stopped.
        time.sleep(0.5)
        ticks = [l for l in host.lines if l.startswith("tick ")]
        check(ticks == ["tick 1 same thread", "tick 2 same thread", "tick 3 same thread"],
                      "the control timer fires on the UI thread and stops when killed", ticks)

        # An asynchronous notification sent while handling a click arrives after the click's
        # processing and before the message is done.
        move(150, 210)
        settle(host)
        mark = host.mark()
        xdotool("click", "1")
        host.wait_for(lambda l: l == "done lbuttonup")
        seen = host.since(mark)
        check(ordered(seen, ["notify click asyncer", "sent async", "notify ping asyncer",
                                     "done lbuttonup"]),
                      "the asynchronous notification comes after the click, within its message", seen)

        # "moveparentwnd": dragging the background moves the parent (owner) window; pressing
        # on a control inside a scrolling container would not, nor would a button.
        xdotool("key", "F9")
        host.wait_for(lambda l: l == "moveparent on")
        before = host.state().get("owner")
        move(300, 270)
        xdotool("mousedown", "1")
        time.sleep(0.2)
        move(330, 290)
        time.sleep(0.2)
        xdotool("mouseup", "1")
        settle(host)
        after = host.state().get("owner")
        bx, by = (int(v) for v in before.split(","))
        ax, ay = (int(v) for v in after.split(","))
        check((ax - bx, ay - by) == (30, 20), "dragging the background moves the parent window",
                      [before, after])

        # Alt+F4 reaches the window and closes it.
        move(300, 270)
        xdotool("key", "alt+F4")
        try:
            host.process.wait(timeout=10)
            closed = True
        except subprocess.TimeoutExpired:
            closed = False
        check(closed, "Alt+F4 closes the window")
    finally:
        host.stop()

    return summary()


if __name__ == "__main__":
    sys.exit(main())

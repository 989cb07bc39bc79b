#!/usr/bin/env python3
"""The installer's window as a screen reader sees it: the accessibility client (a Windows
program of the tests) walks the window's IAccessible tree from another process through Wine's
oleacc, then presses the install button by its default action. The platform client is
registered, so the press hands the game to it and the installer closes, as a mouse click does.
No platform runs: the services refuse, which leaves the window and its button as they are.

The tree the client printed and a screenshot are kept in the artefacts folder.

Usage: installer_accessibility_test.py --installer VexoInstall.exe --client VexoClient.exe
         --a11y-client accessibility_client.exe --wine WINE_RUN --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import os
import subprocess
import sys
import time

from vexoharness import installer as drv
from vexoharness.checks import check, run_main

GAME_ID = "1000450"
# The window's texts follow the user's language, which Wine takes from the environment of the
# program: the installer runs in its own language, Chinese (Simplified); the client and the
# registry tool keep the test's locale (their output is read as UTF-8).
UI_LOCALE = "zh_CN.UTF-8"
BUTTON_TEXT = "安装游戏"


def walk(args, *extra):
    """The client's output lines (and its exit code) for the installer's window."""
    result = subprocess.run([args.wine, args.a11y_client, "--title", "CSkinFrameWnd"] + list(extra),
                            capture_output=True, timeout=120)
    return result.returncode, result.stdout.decode("utf-8", "replace").splitlines()


def fields(line):
    """role, name, states, location of one tree line."""
    parts = [part.strip() for part in line.split("|")]
    return parts + [""] * (4 - len(parts))


def launches_with(expected, timeout=15):
    deadline = time.time() + timeout
    while time.time() < deadline:
        launches = drv.client_launches()
        if launches:
            return any(line.endswith(expected) for line in launches)
        time.sleep(0.5)
    return False


def start_in_locale(exe, locale):
    previous = os.environ.get("LC_ALL")
    os.environ["LC_ALL"] = locale
    try:
        return drv.Installer(exe)
    finally:
        if previous is None:
            del os.environ["LC_ALL"]
        else:
            os.environ["LC_ALL"] = previous


def tree_and_press(args):
    drv.set_wine_runner(args.wine)
    drv.register_client(args.client)
    drv.forget_launches()
    exe = drv.stamp_copy(args.installer, os.path.join(args.artifacts, "bin"), GAME_ID, "")
    installer = start_in_locale(exe, UI_LOCALE)
    try:
        if not check(installer.wait_for_window(), "the installer shows its window"):
            return
        installer.screenshot(os.path.join(args.artifacts, "installer.png"))
        code, lines = walk(args)
        with open(os.path.join(args.artifacts, "installer-tree.txt"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        check(code == 0 and lines, "the client walks the window's tree", lines[-5:])
        root = fields(lines[0]) if lines else [""] * 4
        check(root[0] == "client" and root[1] == "CSkinFrameWnd",
              "the root is the client area, named after the window", lines[:1])
        x, y = installer.origin()
        check(root[3] == "%d,%d,980,600" % (x, y),
              "the client area's location is the window's on screen", [root[3], "%d,%d" % (x, y)])
        rows = [fields(line.strip()) for line in lines]
        button = [r for r in rows if r[0] == "push button" and r[1] == BUTTON_TEXT
                  and "invisible" not in r[2]]
        point = drv.INSTALL_BUTTON
        check(len(button) == 1 and button[0][3] == "%d,%d,200,60" % (x + point[0] - 100,
                                                                 y + point[1] - 30),
              "one install button is shown, at its place on screen", [str(r) for r in button])
        check(any(line.endswith("action=Press") for line in lines if BUTTON_TEXT in line),
              "the install button's default action is Press")
        roles = {r[0] for r in rows}
        check({"pane", "push button", "static text", "graphic", "progress bar"} <= roles,
              "panes, buttons, texts, pictures and the progress bar are in the tree",
              sorted(roles))
        check(any(r[0] == "progress bar" and "invisible" in r[2] for r in rows),
              "the progress bar is there, invisible before the installation")

        code, lines = walk(args, "--click", BUTTON_TEXT, "--events", "3000")
        with open(os.path.join(args.artifacts, "installer-press.txt"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        check(code == 0 and "click: 0x00000000" in lines,
              "the client presses the install button through accDoDefaultAction", lines[-5:])
        check(installer.wait(60) == 0, "the installer exits with 0 after the press")
        check(launches_with(" --install=" + GAME_ID),
              "the client is started with --install=%s" % GAME_ID, drv.client_launches())
    finally:
        installer.kill()
        drv.forget_client()


def main():
    return run_main([tree_and_press], ("installer", "client", "a11y-client", "wine", "artifacts"))


if __name__ == "__main__":
    sys.exit(main())

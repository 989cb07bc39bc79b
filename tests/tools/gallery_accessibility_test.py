#!/usr/bin/env python3
"""The gallery as a screen reader sees it: the accessibility client (a Windows program of the
tests) walks the gallery's IAccessible tree from another process through Wine's oleacc, where
every control family shows with its role, and then checks a check box by its default action,
which the gallery's event log and the WinEvents the client hears must confirm.

The trees the client printed and a screenshot are kept in the artefacts folder.

Usage: gallery_accessibility_test.py --wine WINE_RUN --gallery GALLERY_EXE
         --a11y-client accessibility_client.exe --artifacts DIR
Needs an X display (DISPLAY), xdotool and ImageMagick.
"""
import os
import subprocess
import sys
import time

from vexoharness.checks import check, run_main
from vexoharness.hostlog import LogHost

WINDOW_TITLE = "SkinUI gallery"
# Every role the gallery's pages bring, as Wine's oleacc names them.
ROLES = {"client", "pane", "push button", "check button", "radio button", "progress bar",
         "slider", "static text", "graphic", "animation", "list", "list item", "combo box",
         "text", "outline", "outline item"}


def walk(args, name, *extra):
    """The client's output lines for the gallery's window (kept as NAME.txt) and its exit code."""
    result = subprocess.run([args.wine, args.a11y_client, "--title", WINDOW_TITLE,
                             "--max-children", "12"] + list(extra),
                            capture_output=True, timeout=180)
    lines = result.stdout.decode("utf-8", "replace").splitlines()
    with open(os.path.join(args.artifacts, name + ".txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    return result.returncode, lines


def rows(lines):
    """role, name, states of each tree line."""
    return [([part.strip() for part in line.split("|")] + ["", ""])[:3] for line in lines
            if not line.startswith(("click:", "event:")) and "|" in line]


def tree_and_check(args):
    gallery = LogHost("gallery", args.artifacts,
                      lambda log: [args.wine, args.gallery, "--log", log])
    try:
        gallery.wait(r"^ready$", 90)
        time.sleep(0.5)
        code, lines = walk(args, "gallery-tree")
        check(code == 0 and lines, "the client walks the gallery's tree", lines[-5:])
        found = {row[0] for row in rows(lines)}
        check(ROLES <= found, "every control family shows with its role",
              ["missing: " + ", ".join(sorted(ROLES - found))])
        states = {(row[0], row[1]): row[2] for row in rows(lines)}
        check("disabled" in states.get(("push button", "Disabled"), ""),
              "the disabled button is unavailable")
        check("checked" in states.get(("radio button", "Controls"), ""),
              "the selected page option is checked")
        check(any(line.strip().startswith("push button | Storage |") and
                  line.endswith("| value=37 GB free | action=Press") for line in lines),
              "the custom button is named by its title, its value text is its value")
        check("checked" not in states.get(("check button", "Music"), "?"),
              "the Music check box starts unchecked")

        code, lines = walk(args, "gallery-press", "--click", "Music", "--events", "2000")
        check(code == 0 and "click: 0x00000000" in lines,
              "the client checks Music through accDoDefaultAction", lines[-5:])
        check(bool(gallery.wait(r"^notify selectchanged ", 15)),
              "the gallery sees the selection change")
        check(any(line.startswith("event: statechange") and "check button | Music | " in line
                  and "checked" in line.split("|")[2] for line in lines),
              "a state-change WinEvent names the check box, now checked",
              [line for line in lines if line.startswith("event:")])
        gallery.shot("after-press")
    finally:
        gallery.stop()


def main():
    return run_main([tree_and_check], ("wine", "gallery", "a11y-client", "artifacts"))


if __name__ == "__main__":
    sys.exit(main())

"""The demonstration: the installer's missing-client road on this machine, against the stand-in
platform. Stamps a copy of the installer, starts the platform, runs the installer in a window,
clicks the install button, watches the progress, the silent installation of the client and the
hand-over, and leaves screenshots of each state and the platform's request log in a folder.

Usage: run_demo.py INSTALLER_EXE STANDIN_INSTALLER_EXE OUTPUT_FOLDER
(needs $DISPLAY and PYTHONPATH=REPO/tools: scripts/run.sh sets both)
"""

import os
import sys
import time

from vexoharness import installer as drv
from vexoharness.platform import StandInPlatform

GAME_ID, CHANNEL = "1000450", "demo"


def main():
    exe, standin, out = sys.argv[1:4]
    os.makedirs(out, exist_ok=True)
    for name in os.listdir(out):
        if name.endswith(".png") or name in ("requests.jsonl", "summary.txt"):
            os.remove(os.path.join(out, name))
    stamped = drv.stamp_copy(exe, os.path.join(out, "bin"), GAME_ID, CHANNEL)
    drv.forget_client()
    platform = StandInPlatform(standin, os.path.join(out, "requests.jsonl"),
                               installer_config=["delay=5000"])
    installer = drv.Installer(stamped)
    summary = []
    try:
        if not installer.wait_for_window():
            raise SystemExit("demo: the installer's window did not appear")
        summary.append("window shown: client missing, install button offered")
        # The game's name and pictures arrive after the window shows: photograph it once the
        # platform has served the three pictures.
        deadline = time.time() + 20
        while time.time() < deadline and sum(
                1 for r in platform.recorded() if r.get("service") == "assets") < 3:
            time.sleep(0.5)
        time.sleep(1)
        installer.screenshot(os.path.join(out, "1-client-missing.png"))
        installer.click(drv.INSTALL_BUTTON)
        summary.append("install button clicked")
        step = 0
        while installer.proc.poll() is None and step < 40:
            time.sleep(1)
            step += 1
            if step in (1, 3, 6, 9):
                installer.screenshot(os.path.join(out, "2-progress-%02d.png" % step))
        code = installer.wait(90)
        summary.append("installer exited with code %s" % code)
    finally:
        installer.kill()
        platform.stop()
    for line in drv.client_launches():
        summary.append("client started with: " + line)
    for request in platform.requests():
        summary.append("request: %s %s %s" % (request["service"], request["method"], request["path"]))
    with open(os.path.join(out, "summary.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(summary) + "\n")
    print("\n".join(summary))
    print("demo: screenshots, summary.txt and requests.jsonl are in %s" % os.path.abspath(out))


if __name__ == "__main__":
    main()

"""The installer's window in Chinese (Simplified) and in English, and its log on demand.

The stamped installer runs once per language, the language chosen the way Wine takes it from
the environment of its process (LC_ALL), with a config.ini beside it that asks for a log. Each
run is photographed with the client missing, while the client's download address is being asked
for (the progress area) and after that query failed (the reason under the install button); the
log says which string table the window took. The Chinese run also asks for the HTTP traffic log
("loghttp"), the English one does not.

The stand-in platform listens on the installer's built-in port 8443, which other tests use on
this machine: the test runs itself again in a network namespace of its own (unshare -n, as
root), where that port is free and unreachable from outside.

Usage: languages_window_test.py --installer VexoInstall.exe --wine scripts/wine-run.sh
                                --artifacts FOLDER        (needs $DISPLAY)
"""

import argparse
import os
import subprocess
import sys
import time

from vexoharness import installer as drv
from vexoharness.checks import check, summary
from vexoharness.platform import StandInPlatform
from vexoharness.screens import Picture

GAME_ID = "1000450"
INSIDE = "VEXO_LANGUAGES_TEST_NAMESPACE"
# The data service keeps the address query waiting until the installer's 20 s deadline.
QUERY_DEADLINE_S = 20
LANGUAGES = [
    # (tag the window must take, LC_ALL of the run, config.ini)
    ("zh-CN", "zh_CN.UTF-8", "[config]\r\nlog=installer.log\r\nloghttp=1\r\n"),
    ("en", "en_US.UTF-8", "[config]\r\nlog=installer.log\r\n"),
]
BUTTON_TEXT_AT = (400, 495, 180, 30)    # the install button's text


def read_text(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", errors="replace")
    except FileNotFoundError:
        return ""


def run_language(args, tag, lc_all, config):
    folder = os.path.join(args.artifacts, tag)
    exe = drv.stamp_copy(args.installer, folder, GAME_ID, "")
    for name in os.listdir(folder):
        if name.startswith("installer."):
            os.remove(os.path.join(folder, name))
    with open(os.path.join(folder, "config.ini"), "w", encoding="ascii", newline="") as f:
        f.write(config)
    os.environ["LC_ALL"] = lc_all
    run = drv.Installer(exe)
    shots = {}
    try:
        if not check(run.wait_for_window(), tag + ": the window opens"):
            return shots
        shots["start"] = run.screenshot(os.path.join(folder, "1-client-missing.png"))
        run.click(drv.INSTALL_BUTTON)
        time.sleep(3)
        shots["progress"] = run.screenshot(os.path.join(folder, "2-asking.png"))
        time.sleep(QUERY_DEADLINE_S + 5)
        shots["failed"] = run.screenshot(os.path.join(folder, "3-query-failed.png"))
        run.click(drv.CLOSE_BUTTON)
        check(run.wait(60) == 0, tag + ": the close button ends the installer")
    finally:
        run.kill()
    general = read_text(os.path.join(folder, "installer.normal.log"))
    check("window texts in %s " % tag in general, tag + ": the window took the %s table" % tag,
          general.splitlines()[-5:])
    http_log = os.path.join(folder, "installer.http.log")
    check(os.path.exists(http_log) == ("loghttp" in config),
          tag + ": the HTTP traffic log is written only with loghttp")
    return shots


def differs(a, b, at):
    """Whether two screenshots differ within the rectangle at (mean difference per channel)."""
    total = count = 0
    for pa, pb in zip(Picture(a).region(*at), Picture(b).region(*at)):
        total += sum(abs(x - y) for x, y in zip(pa[:3], pb[:3]))
        count += 3
    return count and total / count > 2


def inside(args):
    drv.set_wine_runner(args.wine)
    drv.forget_client()
    platform = StandInPlatform(port=8443, sets=["data=hang:%d" % (QUERY_DEADLINE_S + 30)])
    try:
        shots = {tag: run_language(args, tag, lc_all, config) for tag, lc_all, config in LANGUAGES}
    finally:
        platform.stop()
    zh, en = shots.get("zh-CN", {}), shots.get("en", {})
    if "start" in zh and "start" in en:
        check(differs(zh["start"], en["start"], BUTTON_TEXT_AT),
              "the install button's text differs between the languages")
    return summary()


def main():
    parser = argparse.ArgumentParser()
    for option in ("installer", "wine", "artifacts"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)
    if os.environ.get(INSIDE):
        subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
        return inside(args)
    env = dict(os.environ, **{INSIDE: "1"})
    return subprocess.run(["unshare", "-n", sys.executable] + sys.argv, env=env).returncode


if __name__ == "__main__":
    sys.exit(main())

"""The installer's window in Chinese (Simplified) and in English, and its log on demand.

The stamped installer runs once per language, the language chosen the way Wine takes it from
the environment of its process (LC_ALL), with a config.ini beside it that asks for a log. Each
run is photographed with the client missing, while the client's download address is being asked
for (the progress area) and after that query failed (the reason under the install button); the
log says which string table the window took. The Chinese run also asks for the HTTP traffic log
("loghttp"), the English one does not. Two more runs write no log: one without config.ini, one
whose log value is a path (refused: the log goes only beside the executable or into the
temporary folder).

The installer's service hosts are built in (https://localhost:8443), a port other tests use on
this machine. This test's stand-in platform runs on a free port instead, and the installer
reaches it through the user's proxy setting, which the test points (for its own run, and back
after) at a CONNECT proxy that sends every tunnel to that platform: nothing goes to port 8443.

Usage: languages_window_test.py --installer VexoInstall.exe --wine scripts/wine-run.sh
                                --artifacts FOLDER        (needs $DISPLAY)
"""

import argparse
import os
import sys
import time

from vexoharness import installer as drv
from vexoharness.checks import check, summary
from vexoharness.platform import StandInPlatform
from vexoharness.servers import ConnectProxy
from vexoharness.screens import Picture

GAME_ID = "1000450"
INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
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


def run_without_log(args, name, config):
    """A run that must write no log file: the window opens and closes as usual."""
    folder = os.path.join(args.artifacts, name)
    exe = drv.stamp_copy(args.installer, folder, GAME_ID, "")
    config_path = os.path.join(folder, "config.ini")
    if config is None:
        if os.path.exists(config_path):
            os.remove(config_path)
    else:
        with open(config_path, "w", encoding="ascii", newline="") as f:
            f.write(config)
    run = drv.Installer(exe)
    try:
        if check(run.wait_for_window(), name + ": the window opens"):
            run.click(drv.CLOSE_BUTTON)
            check(run.wait(60) == 0, name + ": the close button ends the installer")
    finally:
        run.kill()
    logs = [f for f in os.listdir(folder) if f.endswith(".log")]
    check(not logs, name + ": no log file is written", logs)


def differs(a, b, at):
    """Whether two screenshots differ within the rectangle at (mean difference per channel)."""
    total = count = 0
    for pa, pb in zip(Picture(a).region(*at), Picture(b).region(*at)):
        total += sum(abs(x - y) for x, y in zip(pa[:3], pb[:3]))
        count += 3
    return count and total / count > 2


def use_proxy(address):
    """The user's proxy setting: every request through address, loopback ones too; None: off,
    as a fresh prefix has it."""
    reg = [drv.WINE_RUN, "reg"]
    if address:
        commands = [reg + ["add", INTERNET_SETTINGS, "/v", name, "/t", kind, "/d", value, "/f"]
                    for name, kind, value in (("ProxyEnable", "REG_DWORD", "1"),
                                              ("ProxyServer", "REG_SZ", address),
                                              ("ProxyOverride", "REG_SZ", "<-loopback>"))]
    else:
        commands = ([reg + ["add", INTERNET_SETTINGS, "/v", "ProxyEnable", "/t", "REG_DWORD",
                            "/d", "0", "/f"]] +
                    [reg + ["delete", INTERNET_SETTINGS, "/v", name, "/f"]
                     for name in ("ProxyServer", "ProxyOverride")])
    for command in commands:
        result = drv.run(command, timeout=120)
        if address and result.returncode != 0:
            raise RuntimeError("reg add failed: " + result.stderr)


def main():
    parser = argparse.ArgumentParser()
    for option in ("installer", "wine", "artifacts"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)
    drv.set_wine_runner(args.wine)
    drv.forget_client()
    platform = StandInPlatform(port=0, sets=["data=hang:%d" % (QUERY_DEADLINE_S + 30)])
    proxy = ConnectProxy(os.path.join(args.artifacts, "proxy.log"), ("localhost", platform.port))
    try:
        use_proxy(proxy.address)
        shots = {tag: run_language(args, tag, lc_all, config) for tag, lc_all, config in LANGUAGES}
        run_without_log(args, "no-config", None)
        # A log value that is a path, not a file name, leaves the log off: nothing is written
        # beside the executable nor where the path points.
        escaped = os.path.join(args.artifacts, "escaped.normal.log")
        if os.path.exists(escaped):
            os.remove(escaped)
        run_without_log(args, "log-path-refused", "[config]\r\nlog=..\\escaped.log\r\n")
        check(not os.path.exists(escaped), "log-path-refused: nothing is written outside the folder")
    finally:
        use_proxy(None)
        proxy.shutdown()
        platform.stop()
    tunnels = proxy.tunnels()
    # The built-in hosts, and the platform's own address in the picture addresses it names.
    allowed = {"localhost:8443", "localhost:%d" % platform.port}
    check(bool(tunnels) and set(tunnels) <= allowed,
          "every request went through the proxy to the test's platform", sorted(set(tunnels)))
    zh, en = shots.get("zh-CN", {}), shots.get("en", {})
    if "start" in zh and "start" in en:
        check(differs(zh["start"], en["start"], BUTTON_TEXT_AT),
              "the install button's text differs between the languages")
    return summary()


if __name__ == "__main__":
    sys.exit(main())

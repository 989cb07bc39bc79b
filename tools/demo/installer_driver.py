"""Drives the real installer executable in a real window under Wine, as a user would: starts the
stand-in platform, runs the (stamped) installer, waits for its window, clicks, takes screenshots
and reads what the platform and the stand-in client recorded. Used by the demonstration
(tools/demo/run_demo.py) and by the end-to-end tests. Needs an X display ($DISPLAY), xdotool and
ImageMagick's import.
"""

import json
import os
import shutil
import subprocess
import sys
import time
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PLATFORM = os.path.join(ROOT, "tools", "platform", "vexo_platform.py")
STAMP = os.path.join(ROOT, "tools", "stamp.py")
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")
# Wine names X windows after the program file (WM_CLASS "vexoinstall.exe"), so the window is
# found by its title.
WINDOW_TITLE = "^CSkinFrameWnd$"
CLIENT_KEY = r"HKCU\Software\Vexo\Vexo"

# Where things are in the 980x600 window (client coordinates).
INSTALL_BUTTON = (490, 510)
CLOSE_BUTTON = (935, 30)
TITLE_BAND = (700, 20)


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def wine_prefix_path(*parts):
    """A path inside the Wine prefix's C: drive, from Linux."""
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", *parts)


def client_folder():
    return wine_prefix_path("users", os.environ.get("USER", "root"), "AppData", "Local", "Vexo",
                            "Client")


def stamp_copy(exe, folder, game_id, tag):
    """A copy of the installer in folder, stamped with game_id and tag."""
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "VexoInstall.exe")
    shutil.copyfile(exe, target)
    subprocess.run([sys.executable, STAMP, target, game_id, tag], check=True,
                   capture_output=True)
    return target


def forget_client():
    """The platform client is missing: no registration, no client files."""
    run([WINE_RUN, "reg", "delete", CLIENT_KEY, "/f"], timeout=120)
    shutil.rmtree(client_folder(), ignore_errors=True)


def client_launches():
    """The command lines the stand-in client was started with, oldest first."""
    path = os.path.join(client_folder(), "launches.txt")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.rstrip("\r\n") for line in f if line.strip()]


class Platform:
    """The stand-in platform on https://localhost:8443 (the default build's service hosts)."""

    def __init__(self, installer, log, sets=(), installer_config=(), port=8443):
        cmd = [sys.executable, PLATFORM, "--port", str(port), "--installer", installer,
               "--log", log, "--seconds", "900"]
        for item in sets:
            cmd += ["--set", item]
        for item in installer_config:
            cmd += ["--installer-config", item]
        self.base = "https://localhost:%d" % port
        self.log = log
        self.proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     text=True)
        line = self.proc.stdout.readline()
        if "stand-in platform on" not in line:
            self.proc.kill()
            raise RuntimeError("the stand-in platform did not start: " + line)

    def requests(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class Installer:
    """One run of the installer executable and its window."""

    def __init__(self, exe):
        self.proc = subprocess.Popen([WINE_RUN, exe], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        self.window = None

    def wait_for_window(self, timeout=90):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = run(["xdotool", "search", "--onlyvisible", "--name", WINDOW_TITLE]).stdout.split()
            if found:
                self.window = found[0]
                time.sleep(1.5)  # the first paint
                return True
            if self.proc.poll() is not None:
                return False
            time.sleep(0.5)
        return False

    def origin(self):
        out = run(["xdotool", "getwindowgeometry", "--shell", self.window]).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def click(self, point):
        x, y = self.origin()
        run(["xdotool", "mousemove", str(x + point[0]), str(y + point[1])])
        time.sleep(0.3)
        run(["xdotool", "mousedown", "1"])
        time.sleep(0.15)
        run(["xdotool", "mouseup", "1"])

    def screenshot(self, path):
        """The window's 980x600 area (with the desktop around it when it cannot be found)."""
        shot = path + ".full.png"
        run(["import", "-window", "root", shot])
        try:
            x, y = self.origin()
            run(["convert", shot, "-crop", "980x600+%d+%d" % (x, y), "+repage", path])
            os.remove(shot)
        except Exception:  # the window is gone: keep the whole screen
            os.replace(shot, path)
        return path

    def wait(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

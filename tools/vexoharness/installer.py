"""The real installer executable driven in a real window under Wine, as a user would: a stamped
copy, its window found, clicked and photographed, and the platform client it installs or starts
(registered in the prefix, or forgotten). Used by the demonstration (tools/demo/run_demo.py), the
start-up benchmark and the end-to-end tests, with the stand-in platform of
vexoharness.platform. Needs an X display ($DISPLAY), xdotool and ImageMagick.
"""
import os
import shutil
import subprocess
import sys
import time

from . import ROOT, screens, wine
from .checks import xdotool_output

STAMP = os.path.join(ROOT, "tools", "stamp.py")
# The runner of Windows programs; the tests name theirs (set_wine_runner).
WINE_RUN = wine.WINE_RUN
# Wine names X windows after the program file (WM_CLASS "vexoinstall.exe"), so the window is
# found by its title.
WINDOW_TITLE = "^CSkinFrameWnd$"
CLIENT_KEY = r"HKCU\Software\Vexo\Vexo"

# Where things are in the 980x600 window (client coordinates).
INSTALL_BUTTON = (490, 510)
CLOSE_BUTTON = (935, 30)
TITLE_BAND = (700, 20)


def run(cmd, **kw):
    # Wine's console programs write in the code page of the run's locale, which need not be UTF-8.
    return subprocess.run(cmd, capture_output=True, text=True, errors="replace", **kw)


def set_wine_runner(path):
    global WINE_RUN
    WINE_RUN = path


def client_folder():
    return wine.prefix_path("users", wine.user(), "AppData", "Local", "Vexo", "Client")


def stamp_copy(exe, folder, game_id, tag):
    """A copy of the installer in folder, stamped with game_id and tag."""
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "VexoInstall.exe")
    shutil.copyfile(exe, target)
    stamp(target, game_id, tag)
    return target


def stamp(exe, game_id, tag):
    """Stamps exe (again) with the stamping tool."""
    subprocess.run([sys.executable, STAMP, exe, game_id, tag], check=True, capture_output=True)


def forget_client():
    """The platform client is missing: no registration, no client files."""
    run([WINE_RUN, "reg", "delete", CLIENT_KEY, "/f"], timeout=120)
    shutil.rmtree(client_folder(), ignore_errors=True)


def register_client(client_exe):
    """The platform client is installed: the stand-in client in its folder, registered under
    HKCU "Path" as the real installer does."""
    folder = client_folder()
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(client_exe, os.path.join(folder, "VexoClient.exe"))
    windows = "C:\\users\\%s\\AppData\\Local\\Vexo\\Client\\VexoClient.exe" % wine.user()
    result = run([WINE_RUN, "reg", "add", CLIENT_KEY, "/v", "Path", "/t", "REG_SZ", "/d",
                  windows, "/f"], timeout=120)
    if result.returncode != 0:
        raise RuntimeError("reg add failed: " + result.stderr)


def forget_launches():
    try:
        os.remove(os.path.join(client_folder(), "launches.txt"))
    except FileNotFoundError:
        pass


def client_launches():
    """The command lines the stand-in client was started with, oldest first."""
    path = os.path.join(client_folder(), "launches.txt")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.rstrip("\r\n") for line in f if line.strip()]


class Installer:
    """One run of the installer executable and its window."""

    def __init__(self, exe, cwd=None):
        """Starts exe; cwd: the folder it starts in (the caller's when None)."""
        self.proc = subprocess.Popen([WINE_RUN, exe], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, cwd=cwd)
        self.window = None

    @staticmethod
    def visible_windows():
        return xdotool_output("search", "--onlyvisible", "--name", WINDOW_TITLE).split()

    def is_visible(self):
        """The process runs and its window is still shown."""
        return self.proc.poll() is None and self.window in self.visible_windows()

    def wait_for_window(self, timeout=90):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.visible_windows()
            if found:
                self.window = found[0]
                time.sleep(1.5)  # the first paint
                return True
            if self.proc.poll() is not None:
                return False
            time.sleep(0.5)
        return False

    def origin(self):
        out = xdotool_output("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def click(self, point):
        x, y = self.origin()
        xdotool_output("mousemove", x + point[0], y + point[1])
        time.sleep(0.3)
        xdotool_output("mousedown", 1)
        time.sleep(0.15)
        xdotool_output("mouseup", 1)

    def screenshot(self, path):
        """The window's 980x600 area (the whole screen when the window cannot be found)."""
        try:
            return screens.screenshot(path, (980, 600) + self.origin())
        except Exception:  # the window is gone: keep the whole screen
            return screens.screenshot(path)

    def wait(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

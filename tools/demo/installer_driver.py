"""Drives the real installer executable in a real window under Wine, as a user would: starts the
stand-in platform, runs the (stamped) installer, waits for its window, clicks, takes screenshots
and reads what the platform and the stand-in client recorded. Used by the demonstration
(tools/demo/run_demo.py) and by the end-to-end tests. Needs an X display ($DISPLAY), xdotool and
ImageMagick's import.
"""

import json
import os
import re
import shutil
import ssl
import subprocess
import sys
import time
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PLATFORM = os.path.join(ROOT, "tools", "platform", "vexo_platform.py")
STAMP = os.path.join(ROOT, "tools", "stamp.py")
# The runner of Windows programs; the tests name theirs (set_wine_runner).
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


def set_wine_runner(path):
    global WINE_RUN
    WINE_RUN = path


def windows_to_prefix_path(path):
    """The Linux path of a "C:\\..." path inside the Wine prefix."""
    drive, _, rest = path.partition(":")
    if drive.upper() != "C":
        raise ValueError("not a C: path: " + path)
    return wine_prefix_path(*[part for part in rest.split("\\") if part])


def temp_folder():
    """The installer's %TEMP% (as the prefix's user registry sets it), from Linux."""
    try:
        with open(os.path.join(os.environ["WINEPREFIX"], "user.reg"), encoding="utf-8",
                  errors="replace") as f:
            match = re.search(r'^"TEMP"="([^"]+)"', f.read(), re.MULTILINE)
        if match:
            return windows_to_prefix_path(match.group(1).replace("\\\\", "\\"))
    except OSError:
        pass
    return wine_prefix_path("users", os.environ.get("USER", "root"), "Temp")


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


def register_client(client_exe):
    """The platform client is installed: the stand-in client in its folder, registered under
    HKCU "Path" as the real installer does."""
    folder = client_folder()
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(client_exe, os.path.join(folder, "VexoClient.exe"))
    windows = "C:\\users\\%s\\AppData\\Local\\Vexo\\Client\\VexoClient.exe" % os.environ.get(
        "USER", "root")
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

    def _call(self, path, body=None):
        # The test authority's certificate is for the installer; this side only talks to the
        # platform it started on this machine.
        context = ssl._create_unverified_context()
        data = None if body is None else json.dumps(body).encode("utf-8")
        with urllib.request.urlopen(urllib.request.Request(self.base + path, data=data),
                                    context=context, timeout=30) as reply:
            return reply.read()

    def control(self, **body):
        """Reconfigures the running platform: set={SERVICE: MODE}, installer={NAME: VALUE},
        clear=True (forget the recorded requests)."""
        return json.loads(self._call("/control", body))

    def recorded(self):
        """The requests recorded since the last clear."""
        text = self._call("/control/requests").decode("utf-8")
        return [json.loads(line) for line in text.splitlines() if line.strip()]

    def served_installer(self):
        """The client installer as the platform serves it now (the request is recorded)."""
        return self._call("/client/VexoInstall.exe")

    def served_installer_etag(self):
        """The validator (ETag) the platform names for the client installer now."""
        context = ssl._create_unverified_context()
        with urllib.request.urlopen(self.base + "/client/VexoInstall.exe", context=context,
                                    timeout=30) as reply:
            return reply.headers.get("ETag", "")

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

    @staticmethod
    def visible_windows():
        return run(["xdotool", "search", "--onlyvisible", "--name", WINDOW_TITLE]).stdout.split()

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


class Picture:
    """An image read through ImageMagick as 8-bit RGBA, for checks at pixel points."""

    def __init__(self, path):
        data = subprocess.run(["convert", path, "-depth", "8", "-alpha", "on", "pam:-"],
                              capture_output=True, check=True).stdout
        header, _, self.pixels = data.partition(b"ENDHDR\n")
        fields = dict(line.split(" ", 1) for line in header.decode("ascii").splitlines()[1:])
        self.width, self.height = int(fields["WIDTH"]), int(fields["HEIGHT"])
        if int(fields["DEPTH"]) != 4 or len(self.pixels) < self.width * self.height * 4:
            raise ValueError("unexpected picture format: " + path)

    def at(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.pixels[i:i + 4])

    def region(self, left, top, width, height):
        """The pixels of the rectangle (clipped to the picture), row by row."""
        for y in range(max(top, 0), min(top + height, self.height)):
            for x in range(max(left, 0), min(left + width, self.width)):
                yield self.at(x, y)

    def mean(self, left, top, width, height):
        """The mean (r, g, b) of the rectangle."""
        sums, count = [0, 0, 0], 0
        for pixel in self.region(left, top, width, height):
            for c in range(3):
                sums[c] += pixel[c]
            count += 1
        return tuple(s / max(count, 1) for s in sums)

    def difference(self, left, top, source, source_left, source_top, width, height):
        """How far this picture's rectangle is from source's (mean absolute difference per
        channel, 0-255), over the pixels that source draws opaque; None when there are none."""
        total, count = 0, 0
        for dy in range(height):
            for dx in range(width):
                expected = source.at(source_left + dx, source_top + dy)
                if expected[3] != 255:
                    continue
                actual = self.at(left + dx, top + dy)
                total += sum(abs(actual[c] - expected[c]) for c in range(3))
                count += 3
        return total / count if count else None

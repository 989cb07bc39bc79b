#!/usr/bin/env python3
"""DLLs planted beside the installer (and beside the gallery) are never loaded.

A downloaded installer sits in the download folder, where a page can drop files of its own. The
test puts a DLL there under the name of every system DLL the program uses that is not one of the
system's KnownDLLs (which never come from a program's folder): the ones it imports and the ones
its code loads by name. The planted DLL exports nothing useful; its DllMain leaves a marker file
beside itself. Wine is told, for these runs only, to prefer a native DLL of each of those names
(WINEDLLOVERRIDES "n,b"), as Windows takes any DLL its search finds. The program must show its
window, keep running, and no marker may appear.

The installer is a stamped copy whose services refuse every connection (port 1), so that its
requests go nowhere while its network code runs.

Usage: dll_planting_test.py --wine WINE_RUN --installer EXE --gallery EXE --planted DLL
                            --artifacts DIR           (needs $DISPLAY, xdotool)
"""
import os
import shutil
import subprocess
import sys
import time

from vexoharness import installer as drv
from vexoharness.checks import check, run_main, xdotool_output

from dpi_window_test import refusing_copy

# Imported by the programs and not KnownDLLs; then the DLLs the code loads by name.
PLANTED = ("bcrypt", "comctl32", "crypt32", "gdiplus", "oleacc", "secur32", "wininet", "winmm",
           "msftedit", "riched20", "msimg32")
# Time the program gets after its window shows: the first requests fail, timers run.
SETTLE_S = 8
GALLERY_TITLE = "^SkinUI gallery$"


def plant(folder, planted_dll):
    """The planted DLL under every name beside the program; no marker left from an earlier run."""
    for name in PLANTED:
        target = os.path.join(folder, name + ".dll")
        shutil.copyfile(planted_dll, target)
        if os.path.exists(target + ".loaded"):
            os.remove(target + ".loaded")


def loaded(folder):
    return sorted(name[:-len(".dll.loaded")] for name in os.listdir(folder)
                  if name.endswith(".dll.loaded"))


class PreferNative:
    """WINEDLLOVERRIDES for the programs this test starts: native first for the planted names."""

    def __enter__(self):
        self.saved = os.environ.get("WINEDLLOVERRIDES")
        rules = [self.saved] if self.saved else []
        os.environ["WINEDLLOVERRIDES"] = ";".join(rules + [",".join(PLANTED) + "=n,b"])

    def __exit__(self, *_):
        if self.saved is None:
            del os.environ["WINEDLLOVERRIDES"]
        else:
            os.environ["WINEDLLOVERRIDES"] = self.saved


def check_folder(what, folder, shown, running):
    check(shown, what + ": the window shows")
    check(running, what + ": still running %d s after its window showed" % SETTLE_S)
    found = loaded(folder)
    check(not found, what + ": no planted DLL was loaded", ["loaded: " + ", ".join(found)])


def installer(args):
    drv.set_wine_runner(args.wine)
    folder = os.path.join(args.artifacts, "installer")
    exe = refusing_copy(args.installer, folder)
    plant(folder, args.planted)
    with PreferNative():
        run = drv.Installer(exe)
    try:
        shown = run.wait_for_window()
        time.sleep(SETTLE_S)
        running = run.is_visible()
        if shown:
            run.screenshot(os.path.join(args.artifacts, "installer.png"))
    finally:
        run.kill()
    check_folder("installer", folder, shown, running)


def gallery(args):
    folder = os.path.join(args.artifacts, "gallery")
    os.makedirs(folder, exist_ok=True)
    exe = os.path.join(folder, "gallery.exe")
    shutil.copyfile(args.gallery, exe)
    plant(folder, args.planted)
    with PreferNative():
        proc = subprocess.Popen([args.wine, exe], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    try:
        shown = False
        deadline = time.time() + 90
        while not shown and proc.poll() is None and time.time() < deadline:
            shown = bool(xdotool_output("search", "--onlyvisible", "--name", GALLERY_TITLE))
            time.sleep(0.5)
        time.sleep(SETTLE_S if shown else 0)
        running = proc.poll() is None
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    check_folder("gallery", folder, shown, running)


if __name__ == "__main__":
    sys.exit(run_main([installer, gallery],
                      options=("wine", "installer", "gallery", "planted", "artifacts")))

"""Windows programs under Wine, as scripts/env.sh sets Wine up: the loader ($VEXO_WINE) and the
prefix ($WINEPREFIX), paths between Linux and the prefix, and GoogleTest programs run to the end
within a time limit."""
import os
import re
import subprocess

from . import ROOT

# Runs one Windows program with the environment of scripts/env.sh (CTest's emulator too).
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")


def loader():
    """The Wine loader that matches the build's architecture."""
    return os.environ.get("VEXO_WINE", "wine")


def windows_path(path):
    """A Linux path as a Windows program sees it (drive Z: is the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def prefix_path(*parts):
    """A path inside the Wine prefix's C: drive, from Linux."""
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", *parts)


def user():
    return os.environ.get("USER", "root")


def windows_to_prefix_path(path):
    """The Linux path of a "C:\\..." path inside the Wine prefix."""
    drive, _, rest = path.partition(":")
    if drive.upper() != "C":
        raise ValueError("not a C: path: " + path)
    return prefix_path(*[part for part in rest.split("\\") if part])


def temp_folder():
    """A program's %TEMP% (as the prefix's user registry sets it), from Linux."""
    try:
        with open(os.path.join(os.environ["WINEPREFIX"], "user.reg"), encoding="utf-8",
                  errors="replace") as f:
            match = re.search(r'^"TEMP"="([^"]+)"', f.read(), re.MULTILINE)
        if match:
            return windows_to_prefix_path(match.group(1).replace("\\\\", "\\"))
    except OSError:
        pass
    return prefix_path("users", user(), "Temp")


def run_gtest(program, runner=WINE_RUN, gtest_filter=None, env=None, timeout=400, extra=()):
    """Runs a GoogleTest program under Wine to its end; its exit code, 1 when it took longer
    than timeout seconds."""
    cmd = [runner, program] + list(extra)
    if gtest_filter:
        cmd.append("--gtest_filter=" + gtest_filter)
    print("+", " ".join(cmd), flush=True)
    try:
        return subprocess.run(cmd, env=env, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        print("timed out after %d s" % timeout, flush=True)
        return 1

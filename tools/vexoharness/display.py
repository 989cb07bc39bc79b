"""The display that Windows programs open their windows on, started one way for the tests, the
benchmarks and the demonstration.

A virtual display is an X server of its own (Xvfb, 2048x1536x24, on a free display number) with
a compositing manager (xcompmgr: layered windows such as the drop shadow render only with one, as
on every Windows desktop) and one wineserver for the whole run, warmed up by a trivial program so
that the first real one does not pay for the prefix's start-up. The server leaves by itself 30 s
after the last Wine process. (Started outside the display, the first program of the run waits
half a minute.)

    python3 -m vexoharness.display [--current] COMMAND [ARG ...]

runs the command there and exits with its exit code; with --current, on the user's display when
there is one ($DISPLAY; xcompmgr is started there for the run when no compositing manager runs),
else on a virtual one. scripts/env.sh's vexo_on_virtual_display and
vexo_on_display are this command.
"""
import ctypes
import os
import select
import signal
import subprocess
import sys
import tempfile
import time

from . import wine

# Large enough for the installer's window at 200 % (1960x1200 and its shadow): Wine learns the
# screen's size when its first program starts, so one size serves the whole run.
SCREEN = "2048x1536x24"
START_SECONDS = 30
WARM_UP_SECONDS = 300


def _start_x_server(screen):
    """Xvfb on the first free display number (it names it on a pipe); (process, ":N"). It keeps
    its state when its last client leaves (-noreset): a server that resets refuses connections
    for a moment, and the compositor would come to one that does."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
                               "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    try:
        while not number.endswith(b"\n"):
            readable, _, _ = select.select([read_end], [], [], START_SECONDS)
            chunk = os.read(read_end, 16) if readable else b""
            if not chunk:
                server.kill()
                server.wait()
                raise RuntimeError("Xvfb did not start")
            number += chunk
    finally:
        os.close(read_end)
    return server, ":" + number.decode().strip()


def compositor_running(display):
    """Whether a compositing manager runs on the display (owns its _NET_WM_CM_S0 selection)."""
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XGetSelectionOwner.restype = ctypes.c_ulong
    x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x.XOpenDisplay(display.encode())
    if not connection:
        raise RuntimeError("cannot open display " + display)
    try:
        return x.XGetSelectionOwner(connection, x.XInternAtom(connection, b"_NET_WM_CM_S0", 0)) != 0
    finally:
        x.XCloseDisplay(connection)


def start_compositor(env):
    """xcompmgr on env's display unless a compositing manager runs there already; the process
    started (None when there was one), once it composites."""
    if compositor_running(env["DISPLAY"]):
        return None
    with tempfile.TemporaryFile() as errors:
        compositor = subprocess.Popen(["xcompmgr"], env=env, stdout=subprocess.DEVNULL,
                                      stderr=errors)
        deadline = time.monotonic() + START_SECONDS
        while not compositor_running(env["DISPLAY"]):
            if compositor.poll() is not None or time.monotonic() > deadline:
                stop(compositor)
                errors.seek(0)
                raise RuntimeError("xcompmgr did not start on %s (%s): %s" % (
                    env["DISPLAY"], compositor.returncode,
                    errors.read().decode(errors="replace").strip()))
            time.sleep(0.05)
    return compositor


def stop(process):
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def warm_up_wine(env):
    """One wineserver for the whole run, started by a program that only exits."""
    subprocess.run(["wineserver", "-p30"], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    try:
        subprocess.run([wine.loader(), "cmd", "/c", "exit"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False, timeout=WARM_UP_SECONDS)
    except subprocess.TimeoutExpired:
        pass


def _run(command, env):
    """The command's exit code; SIGTERM and SIGINT are passed on to it."""
    child = subprocess.Popen(command, env=env)
    previous = {sig: signal.signal(sig, lambda number, _frame: child.send_signal(number))
                for sig in (signal.SIGTERM, signal.SIGINT)}
    try:
        code = child.wait()
        return 128 - code if code < 0 else code  # ended by a signal: as a shell says it
    finally:
        for sig, handler in previous.items():
            signal.signal(sig, handler)


def _run_composited(command, env):
    """Runs command on env's display with a compositing manager and a warmed-up wineserver."""
    compositor = start_compositor(env)
    try:
        warm_up_wine(env)
        return _run(command, env)
    finally:
        stop(compositor)


def on_virtual_display(command, screen=SCREEN):
    """Runs command on a virtual display of its own; its exit code."""
    server, display = _start_x_server(screen)
    try:
        return _run_composited(command, dict(os.environ, DISPLAY=display))
    finally:
        stop(server)


def on_display(command):
    """Runs command on the user's display when there is one (with a compositing manager started
    there when none runs), else on a virtual one; its exit code."""
    if not os.environ.get("DISPLAY"):
        return on_virtual_display(command)
    return _run_composited(command, dict(os.environ))


def main(argv):
    current = argv[:1] == ["--current"]
    command = argv[1:] if current else argv
    if command[:1] == ["--"]:
        command = command[1:]
    if not command:
        sys.stderr.write(__doc__)
        return 2
    return on_display(command) if current else on_virtual_display(command)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

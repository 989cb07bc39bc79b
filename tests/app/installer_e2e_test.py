#!/usr/bin/env python3
"""End-to-end tests of the installer: the stamped release executable in a real window under Wine,
driven with xdotool against the stand-in platform (one platform process, reconfigured between
the cases). Each state is photographed into the artefacts folder and checked at a few places
against the pictures that should show there.

Usage: installer_e2e_test.py --installer VexoInstall.exe --standin-installer X.exe
                             --client VexoStandInClient.exe --wine scripts/wine-run.sh
                             --artifacts FOLDER [--port PORT] [--only CASE,...]   (needs $DISPLAY)

--port is the port the installer's service hosts name (8443 in the default build); --only runs
the named cases, also those that run only when named (services_refusing).
"""

import argparse
import json
import os
import re
import stat
import sys
import time
import urllib.parse

from vexoharness import ROOT, wine
from vexoharness import installer as drv
from vexoharness.checks import check, run_parts, summary
from vexoharness.pictures.png import encode_solid
from vexoharness.platform import StandInPlatform
from vexoharness.screens import Picture

GAME_ID, CHANNEL = "1000450", "e2e"
ASSETS = os.path.join(ROOT, "tools", "platform", "assets")
SKIN = os.path.join(ROOT, "skin")

# Where the pictures are drawn in the window (client coordinates) and what they are.
ICON_AT = (20, 12, 36, 36)              # the game's icon in the title band
LOGO_AT = (25, 100, 306, 149)           # the game's logo over the artwork
ARTWORK_AT = (600, 100, 350, 300)       # a part of the artwork that nothing covers
ARTWORK_SOURCE_LEFT = 193               # the window shows the artwork from x = 193 on
BUTTON_AT = (420, 495, 140, 30)         # the middle of the install button
MARKER_AT = (50, 505, 24, 24)           # the progress bar's start marker
BAR_START_AT = (76, 514, 40, 6)         # the first part of the progress bar itself
REASON_AT = (0, 550, 980, 18)           # the failure reason under the install button
MIN_BUTTON = (900, 30)                  # the minimise button in the title band



class Pictures:
    def __init__(self):
        self.icon = Picture(os.path.join(ASSETS, "game-icon.png"))
        self.logo = Picture(os.path.join(ASSETS, "game-logo.png"))
        self.artwork = Picture(os.path.join(ASSETS, "game-background.png"))
        self.marker = Picture(os.path.join(SKIN, "02.png"))


def shows_picture(shot, at, picture, source_left=0, source_top=0):
    difference = shot.difference(at[0], at[1], picture, source_left, source_top, at[2], at[3])
    return difference is not None and difference < 12


def game_pictures(shot, pictures):
    """Whether the icon, the logo and the artwork are each shown where they belong."""
    return (shows_picture(shot, ICON_AT, pictures.icon), shows_picture(shot, LOGO_AT, pictures.logo),
            shows_picture(shot, ARTWORK_AT, pictures.artwork, ARTWORK_SOURCE_LEFT + ARTWORK_AT[0],
                          ARTWORK_AT[1]))


def shows_game_pictures(shot, pictures, label):
    icon, logo, artwork = game_pictures(shot, pictures) if shot else (False, False, False)
    check(icon, label + ": the game's icon in the title band")
    check(logo, label + ": the game's logo")
    check(artwork, label + ": the game's artwork")


def button_shown(shot):
    r, g, b = shot.mean(*BUTTON_AT)
    return b > 150 and b > r + 80 and g > 90


def progress_shown(shot, pictures):
    """The progress area with its marker and a bar filled at its start (bright blue)."""
    r, g, b = shot.mean(*BAR_START_AT)
    return shows_picture(shot, MARKER_AT, pictures.marker) and b > 200 and g > 130 and r < 80


def reason_pixels(shot):
    """The pixels of the reason's salmon text (#F08A80) in the line under the button."""
    return sum(1 for r, g, b, _ in shot.region(*REASON_AT) if r > 150 and r - b > 40 and r - g > 30)


class Case:
    """One run of the stamped installer, with its screenshots in the artefacts folder."""

    def __init__(self, run, exe):
        self.run, self.exe = run, exe
        self.installer = drv.Installer(exe)

    def shot(self, name):
        path = os.path.join(self.run.artifacts, name + ".png")
        self.installer.screenshot(path)
        return Picture(path)

    def wait_window(self):
        return check(self.installer.wait_for_window(), "the installer's window appears")

    def wait_shot(self, name, predicate, timeout):
        """Photographs the window until predicate(shot) holds; the last shot, or None."""
        deadline = time.time() + timeout
        while True:
            shot = self.shot(name)
            if predicate(shot):
                return shot
            if time.time() > deadline or self.installer.proc.poll() is not None:
                return None
            time.sleep(0.5)

    def stays(self, seconds):
        time.sleep(seconds)
        return self.installer.is_visible()

    def close(self):
        self.installer.kill()


class Run:
    def __init__(self, args):
        self.args = args
        self.artifacts = args.artifacts
        os.makedirs(self.artifacts, exist_ok=True)
        for name in os.listdir(self.artifacts):
            if name.endswith(".png") or name == "requests.jsonl":
                os.remove(os.path.join(self.artifacts, name))
        self.pictures = Pictures()
        self.start_platform()

    def start_platform(self):
        self.platform = StandInPlatform(self.args.standin_installer,
                                        os.path.join(self.artifacts, "requests.jsonl"),
                                        port=self.args.port)

    def stamped(self, tag):
        folder = os.path.join(self.artifacts, "bin-" + (tag or "notag"))
        return drv.stamp_copy(self.args.installer, folder, GAME_ID, tag)

    def reset(self, modes=None, installer=None):
        settings = {service: "ok" for service in ("gameinfo", "assets", "data", "installer", "stats")}
        settings.update(modes or {})
        self.platform.control(set=settings, installer=installer or {}, clear=True)

    def recorded(self, service):
        return [r for r in self.platform.recorded() if r.get("service") == service]

    def reports(self):
        return self.recorded("stats")


def partial_installer_path():
    return os.path.join(wine.temp_folder(), "VexoInstall.exe")


def remove_partial_installer():
    for path in (partial_installer_path(), partial_installer_path() + ".validator"):
        if os.path.exists(path):
            os.chmod(path, stat.S_IWUSR | stat.S_IRUSR)
            os.remove(path)


def launches_with(expected, timeout=15):
    """The client was started once, with expected at the end of its command line. The client
    is a process of its own that writes its command line down after the installer may have
    ended, so its record is waited for a little."""
    deadline = time.time() + timeout
    while True:
        launches = drv.client_launches()
        if launches or time.time() > deadline:
            break
        time.sleep(0.3)
    return len(launches) == 1 and launches[0].endswith(expected) and (
        "--guest" in expected or "--guest" not in launches[0])


# ---- The cases ---------------------------------------------------------------------------------

def client_present(run):
    """The client is registered: the window offers the game; a click hands it to the client,
    reports the channel and closes."""
    drv.register_client(run.args.client)
    drv.forget_launches()
    run.reset()
    case = Case(run, run.stamped(CHANNEL))
    try:
        if not case.wait_window():
            return
        shot = case.wait_shot("1-client-present", lambda s: all(game_pictures(s, run.pictures)), 30)
        shows_game_pictures(shot, run.pictures, "client present")
        check(button_shown(shot), "client present: the install-game button is offered")
        case.installer.click(drv.INSTALL_BUTTON)
        check(case.installer.wait(60) == 0, "client present: the installer exits with 0 after the click")
        check(launches_with(" --install=" + GAME_ID),
              "client present: the client is started with --install=%s" % GAME_ID)
        reports = run.reports()
        check(len(reports) == 1 and '"Comefrom":"%s"' % CHANNEL in reports[0]["query"]
              and '"GameId":%s' % GAME_ID in reports[0]["query"],
              "client present: the report names the game and the channel")
    finally:
        case.close()


def empty_channel(run):
    """An executable stamped without a channel tag hands the game over and reports nothing."""
    drv.register_client(run.args.client)
    drv.forget_launches()
    run.reset()
    case = Case(run, run.stamped(""))
    try:
        if not case.wait_window():
            return
        case.shot("3-empty-channel")
        case.installer.click(drv.INSTALL_BUTTON)
        check(case.installer.wait(60) == 0, "empty channel: the installer exits with 0")
        check(launches_with(" --install=" + GAME_ID), "empty channel: the client is started")
        check(run.reports() == [], "empty channel: no report is sent")
    finally:
        case.close()


def game_information_down(run):
    """With the game-information service failing, the artwork of an earlier run is shown."""
    run.reset(modes={"gameinfo": "status:500"})
    case = Case(run, run.stamped(CHANNEL))
    try:
        if not case.wait_window():
            return
        shot = case.shot("5-game-information-down")
        check(len(run.recorded("gameinfo")) >= 1, "game information down: the service was asked")
        shows_game_pictures(shot, run.pictures, "game information down (earlier artwork)")
        case.installer.click(drv.CLOSE_BUTTON)
        check(case.installer.wait(30) == 0, "game information down: the close button ends the installer with 0")
    finally:
        case.close()


def client_missing(run):
    """The client is missing: the installer resumes a leftover partial download, runs the client
    installer silently, deletes it (even read-only), hands the game over and reports."""
    drv.forget_client()
    run.reset(installer={"readonly": "1", "delay": "3000"})
    served = run.platform.served_installer()
    remove_partial_installer()
    leftover = len(served) // 3
    os.makedirs(wine.temp_folder(), exist_ok=True)
    with open(partial_installer_path(), "wb") as f:
        f.write(served[:leftover])
    # What an interrupted earlier run leaves beside its part: the file's validator.
    with open(partial_installer_path() + ".validator", "w") as f:
        f.write(run.platform.served_installer_etag())
    run.platform.control(clear=True)
    case = Case(run, run.stamped(CHANNEL))
    try:
        if not case.wait_window():
            return
        shot = case.wait_shot("2-client-missing", lambda s: all(game_pictures(s, run.pictures)), 30)
        shows_game_pictures(shot, run.pictures, "client missing")
        check(button_shown(shot), "client missing: the install button is offered")
        case.installer.click(drv.INSTALL_BUTTON)
        progress = case.wait_shot("2-progress", lambda s: progress_shown(s, run.pictures), 30)
        check(progress is not None and not button_shown(progress),
              "client missing: the progress bar fills in place of the button")
        check(case.installer.wait(90) == 0, "client missing: the installer exits with 0")
        check(leftover in range_starts(run.recorded("installer")),
              "client missing: the download resumes the leftover part (Range from %d)" % leftover)
        check(' /qn QR="true"' in installer_runs(), "client missing: the client installer runs silently")
        check(not os.path.exists(partial_installer_path()),
              "client missing: the read-only client installer file is deleted afterwards")
        check(launches_with(" --guest --install=" + GAME_ID),
              "client missing: the client is started with --guest --install=%s" % GAME_ID)
        check(len(run.reports()) == 1, "client missing: the report is sent")
    finally:
        case.close()


# Each misbehaviour fails one attempt in the same window: (name, platform settings, service that
# must have been asked in the mode, whether the client installer file stays in %TEMP% afterwards:
# None where it does not matter, whether the client installer may be run). The installers that
# are not the publisher's (unsigned, signed by another, changed after signing) match the digest
# the data service names: only their signature gives them away.
MISBEHAVIOURS = [
    ("data-status-500", {"set": {"data": "status:500"}}, "data", None, False),
    ("data-noaddress", {"set": {"data": "noaddress"}}, "data", None, False),
    ("data-badjson", {"set": {"data": "badjson"}}, "data", None, False),
    ("data-wronghash", {"set": {"data": "wronghash"}}, "data", False, False),
    ("data-plainhttp", {"set": {"data": "plainhttp"}}, "data", None, False),
    ("installer-fails", {"set": {"data": "ok"}, "installer": {"exit": "1", "install": "0"}},
     "installer", None, True),
    ("installer-unsigned", {"set": {"installer": "unsigned"}, "installer": {}}, "installer", False,
     False),
    ("installer-othersigner", {"set": {"installer": "othersigner"}}, "installer", False, False),
    ("installer-tampered", {"set": {"installer": "tampered"}}, "installer", False, False),
    ("installer-truncated", {"set": {"installer": "truncated"}, "installer": {}}, "installer",
     True, False),
    ("installer-truncated-nohash", {"set": {"data": "nohash", "installer": "truncated"}},
     "installer", True, False),
    ("installer-cutoff", {"set": {"data": "ok", "installer": "cutoff"}}, "installer", True, False),
]


def client_in_place():
    """The stand-in installer put the client in place (it registers it at the same time)."""
    return os.path.exists(os.path.join(drv.client_folder(), "VexoClient.exe"))


def installer_runs():
    path = os.path.join(drv.client_folder(), "installer-runs.txt")
    return open(path, encoding="utf-8", errors="replace").read() if os.path.exists(path) else ""


def range_starts(requests):
    """The offsets the requests asked to resume from ("Range: bytes=N-")."""
    starts = []
    for request in requests:
        value = request["headers"].get("Range", "").replace(" ", "")
        if value.startswith("bytes=") and value.endswith("-") and value[6:-1].isdigit():
            starts.append(int(value[6:-1]))
    return starts


def misbehaviours(run):
    """Every failure keeps the window, shows the reason under the install button and gives the
    button back; after the cut-off download, a second click resumes and completes."""
    drv.forget_client()
    drv.forget_launches()
    remove_partial_installer()
    run.reset()
    case = Case(run, run.stamped(CHANNEL))
    try:
        if not case.wait_window():
            return
        for name, settings, service, file_stays, may_run in MISBEHAVIOURS:
            runs_before = installer_runs()
            run.platform.control(clear=True, **settings)
            case.installer.click(drv.INSTALL_BUTTON)
            time.sleep(1)
            shot = case.wait_shot("4-" + name, lambda s: button_shown(s) and reason_pixels(s) > 20, 60)
            asked = [r for r in run.recorded(service) if r.get("mode") != "ok" or service == "installer"]
            check(bool(asked), name + ": the platform was asked in that mode")
            check(shot is not None, name + ": the install button comes back with the reason under it")
            check(case.stays(3), name + ": the window stays after the failure")
            if file_stays is not None:
                check(os.path.exists(partial_installer_path()) == file_stays,
                      name + ": the client installer file is " + ("kept" if file_stays else "deleted"))
            if not may_run:
                check(installer_runs() == runs_before, name + ": the client installer is not run")
                check(not client_in_place() and not drv.client_launches(),
                      name + ": no client is put in place or started")
        # Back to a working platform: the second attempt continues the cut-off download.
        run.platform.control(set={"installer": "ok"}, clear=True)
        case.installer.click(drv.INSTALL_BUTTON)
        check(case.installer.wait(90) == 0, "retry: the second attempt completes and the installer exits with 0")
        check(any(start > 0 for start in range_starts(run.recorded("installer"))),
              "retry: the download resumes the cut-off part (Range sent)")
        check(launches_with(" --guest --install=" + GAME_ID), "retry: the client is started")
    finally:
        case.close()


# ---- The first seconds -------------------------------------------------------------------------

KEPT = ("gameinfo%s.json", "iconimage%s.png", "bkImage%s.png", "logoImage%s.png")


def kept_file(pattern):
    return os.path.join(wine.temp_folder(), pattern % GAME_ID)


def forget_kept_game():
    """A first run: nothing of the game is kept in %TEMP%."""
    for pattern in KEPT:
        if os.path.exists(kept_file(pattern)):
            os.remove(kept_file(pattern))


def read_kept(pattern):
    path = kept_file(pattern)
    return open(path, "rb").read() if os.path.exists(path) else b""


def first_start_with_a_late_service(run):
    """A first run while the game-information service takes 8 s to answer: the window shows
    at once, with the skin's own pictures and an installer-like title, the install button works
    from the first frame, and the game's name and pictures fill in when the answer comes."""
    forget_kept_game()
    run.reset(modes={"gameinfo": "slow:8"})
    case = Case(run, run.stamped(CHANNEL))
    try:
        if not case.wait_window():
            return
        early = case.shot("6-late-service-first-frame")
        # Measured from the request's arrival, not the program's start, which takes seconds more
        # on a busy machine or under emulation.
        shown_at, asked = time.time(), run.recorded("gameinfo")
        shown_after = shown_at - asked[0]["time"] if asked else 0
        check(shown_after < 8, "late service: the window shows before the answer (%.1f s after the "
              "request)" % shown_after)
        check(not any(game_pictures(early, run.pictures)),
              "late service: the skin's own pictures until the game's arrive")
        check(button_shown(early), "late service: the install button is offered at once")
        filled = case.wait_shot("6-late-service-filled", lambda s: all(game_pictures(s, run.pictures)), 60)
        shows_game_pictures(filled, run.pictures, "late service (filled in place)")
        if filled:
            title = filled.difference(50, 15, early, 50, 15, 400, 22)
            check(title is not None and title > 2, "late service: the title changes to the game's name")
        check(read_kept("gameinfo%s.json") != b"", "late service: the answer is kept for the next start")
    finally:
        case.close()


def kept_game_at_once(run):
    """The record and the pictures an earlier run kept are shown at once while every service
    accepts and never answers; the close button still ends the installer promptly."""
    run.reset(modes={"gameinfo": "hang:120", "assets": "hang:120", "data": "hang:120"})
    case = Case(run, run.stamped(CHANNEL))
    try:
        if not case.wait_window():
            return
        shows_game_pictures(case.shot("7-kept-game-services-silent"), run.pictures, "silent services")
        case.installer.click(drv.CLOSE_BUTTON)
        check(case.installer.wait(20) == 0, "silent services: the close button ends the installer with 0")
    finally:
        case.close()


def second_start(run):
    """A second start of the same game brings the first window forward and exits with 0."""
    run.reset()
    exe = run.stamped(CHANNEL)
    first = Case(run, exe)
    try:
        if not first.wait_window():
            return
        # Minimised (Wine without a window manager may keep it on the screen all the same).
        first.installer.click(MIN_BUTTON)
        time.sleep(1)
        second = drv.Installer(exe)
        check(second.wait(60) == 0, "second start: the second process exits with 0")
        second.kill()
        deadline = time.time() + 15
        while time.time() < deadline and not first.installer.is_visible():
            time.sleep(0.5)
        check(first.installer.is_visible(), "second start: the first window is shown again")
        check(len(drv.Installer.visible_windows()) == 1, "second start: one installer window")
        first.shot("8-second-start-first-window")
        check(first.installer.proc.poll() is None, "second start: the first installer runs on")
    finally:
        first.close()


def failed_installation(run, label, shot, stats="ok"):
    """A run whose installation fails (no download address), in its window with the failure shown
    under the install button; the case (to be closed by the caller) and whether it got there."""
    drv.forget_client()
    remove_partial_installer()
    run.reset(modes={"data": "status:500", "stats": stats})
    case = Case(run, run.stamped(CHANNEL))
    if not case.wait_window():
        return case, False
    case.installer.click(drv.INSTALL_BUTTON)
    time.sleep(1)
    failed = case.wait_shot(shot, lambda s: button_shown(s) and reason_pixels(s) > 20, 60)
    return case, check(failed is not None, label + ": the failure is shown")


def failed_then_closed(run):
    """An installation that fails and is then closed by the user still reports once."""
    case, failed = failed_installation(run, "failed then closed", "9-failed-before-close")
    try:
        if not failed:
            return
        case.installer.click(drv.CLOSE_BUTTON)
        check(case.installer.wait(30) == 0, "failed then closed: the installer exits with 0")
        check(len(run.reports()) == 1, "failed then closed: the run reports once (%d)" % len(run.reports()))
    finally:
        case.close()


def start_while_reporting(run):
    """A start while the first run, its installation failed and its window closed, still sends its
    usage report: the second start waits for the first one to end and then shows its own window
    (it neither vanishes nor runs beside it)."""
    first, failed = failed_installation(run, "start while reporting", "10-failed-before-close", stats="slow:4")
    second = None
    try:
        if not failed:
            return
        first.installer.click(drv.CLOSE_BUTTON)
        deadline = time.time() + 10
        while time.time() < deadline and drv.Installer.visible_windows():
            time.sleep(0.2)
        reporting = not drv.Installer.visible_windows() and first.installer.proc.poll() is None
        check(reporting, "start while reporting: the first window is gone, its process still reports")
        second = Case(run, first.exe)
        check(second.wait_window(), "start while reporting: the second start shows its window")
        check(first.installer.wait(30) == 0, "start while reporting: the first run ends with 0")
        check(len(run.reports()) == 1, "start while reporting: the first run reported once (%d)" % len(run.reports()))
        check(second.installer.proc.poll() is None, "start while reporting: the second run goes on")
        second.shot("10-start-while-reporting-second-window")
    finally:
        first.close()
        if second is not None:
            second.close()


def raw_stamped(run, tag):
    """A copy stamped by other means than the stamping tool: the 17 bytes written directly."""
    folder = os.path.join(run.artifacts, "bin-raw")
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "VexoInstall.exe")
    with open(run.args.installer, "rb") as f:
        data = bytearray(f.read())
    data[0x4E:0x4E + 17] = (GAME_ID + " " + tag.ljust(9)).encode("latin-1")
    with open(target, "wb") as f:
        f.write(data)
    return target


def odd_channel_tag(run):
    """A tag with characters that break a URL and a JSON text reaches the statistics service as
    one query value holding valid JSON."""
    tag = 'a"b&c%d'
    drv.register_client(run.args.client)
    drv.forget_launches()
    run.reset()
    case = Case(run, raw_stamped(run, tag))
    try:
        if not case.wait_window():
            return
        case.installer.click(drv.INSTALL_BUTTON)
        check(case.installer.wait(60) == 0, "odd tag: the installer exits with 0")
        reports = run.reports()
        values = []
        if len(reports) == 1:
            query = urllib.parse.urlsplit(reports[0]["path"]).query
            values = urllib.parse.parse_qs(query).get("JsonData", [])
        try:
            sent = json.loads(values[0]) if len(values) == 1 else None
        except ValueError:
            sent = None
        check(sent == {"GameId": int(GAME_ID), "Comefrom": tag},
              "odd tag: the report carries the tag as valid JSON in one query value (%r)" % values)
    finally:
        case.close()


def changed_picture(run):
    """A picture that changed on the server replaces the kept one, and the next start shows it
    at once; then the usual pictures come back."""
    original = read_kept("bkImage%s.png")
    run.reset(modes={"assets": "altered"})
    case = Case(run, run.stamped(CHANNEL))
    try:
        if case.wait_window():
            deadline = time.time() + 40
            while time.time() < deadline and read_kept("bkImage%s.png") in (original, b""):
                time.sleep(0.5)
            altered = read_kept("bkImage%s.png")
            check(altered not in (original, b""), "changed picture: the kept picture is replaced")
    finally:
        case.close()
    run.reset(modes={"gameinfo": "hang:120", "assets": "hang:120"})
    case = Case(run, run.stamped(CHANNEL))
    try:
        if case.wait_window():
            shot = case.shot("10-changed-picture-next-start")
            check(not game_pictures(shot, run.pictures)[2], "changed picture: the next start shows the new one")
    finally:
        case.close()
    run.reset()
    case = Case(run, run.stamped(CHANNEL))
    try:
        if case.wait_window():
            case.wait_shot("10-usual-pictures-back", lambda s: all(game_pictures(s, run.pictures)), 40)
    finally:
        case.close()


LARGE_COLOUR = (200, 40, 40)  # the colour of the platform's large pictures, and of those planted
LOG_LINE = re.compile(r"\((\d+)\)\((\d+)\): (.*)")  # (source line)(thread id): message


def log_messages(path):
    """(thread id, message) of each line of an installer's log."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return [(m.group(2), m.group(3)) for m in map(LOG_LINE.search, f) if m]
    except FileNotFoundError:
        return []


def large_pictures(run):
    """Pictures with far more pixels than the window shows (3200 x 3200 in 45 KB): kept ones
    planted in %TEMP% and fresh ones from the platform are refused from their header on a worker
    thread, never decoded, and the window shows what it had: the kept icon (a usual picture), the
    skin's own background and no logo. The log, asked for in config.ini, says which picture was
    refused or decoded and on which thread."""
    planted = {"bkImage%s.png": encode_solid(3200, 3200, LARGE_COLOUR + (255,)),
               "logoImage%s.png": encode_solid(3200, 3200, LARGE_COLOUR + (255,)),
               "iconimage%s.png": open(os.path.join(ASSETS, "game-icon.png"), "rb").read()}
    originals = {pattern: read_kept(pattern) for pattern in planted}
    for pattern, data in planted.items():
        with open(kept_file(pattern), "wb") as f:
            f.write(data)
    run.reset(modes={"assets": "large"})
    exe = run.stamped("pictures")
    folder = os.path.dirname(exe)
    log = os.path.join(folder, "installer.normal.log")
    if os.path.exists(log):
        os.remove(log)
    with open(os.path.join(folder, "config.ini"), "w", encoding="ascii", newline="") as f:
        f.write("[config]\r\nlog=installer.log\r\n")
    case = Case(run, exe)
    try:
        if not case.wait_window():
            return
        fresh = ["%s%s.png.download" % (name, GAME_ID) for name in ("iconimage", "bkImage", "logoImage")]
        deadline = time.time() + 40
        while time.time() < deadline and not all(
                any(name + " refused" in m for _, m in log_messages(log)) for name in fresh):
            time.sleep(0.5)
        messages = log_messages(log)

        def said(text):
            """The threads of the lines that say text."""
            return [thread for thread, message in messages if text in message]

        for name in ["bkImage%s.png" % GAME_ID, "logoImage%s.png" % GAME_ID] + fresh:
            check(said(name + " refused: 3200 x 3200 pixels"), "large pictures: %s is refused" % name)
            check(not said(name + " decoded"), "large pictures: %s is never decoded" % name)
        check(said("iconimage%s.png decoded" % GAME_ID), "large pictures: the usual kept icon is decoded")
        ui_thread = said("window texts in ")
        workers = said("game picture ")
        check(len(ui_thread) == 1 and workers and ui_thread[0] not in workers,
              "large pictures: pictures are decoded off the UI thread (UI %s, pictures %s)" % (
                  ui_thread, sorted(set(workers))))
        shot = case.shot("12-large-pictures")
        check(shows_picture(shot, ICON_AT, run.pictures.icon), "large pictures: the kept icon shows")
        for what, at in (("logo", LOGO_AT), ("background", ARTWORK_AT)):
            r, g, b = shot.mean(*at)
            check(not (r > 150 and g < 90 and b < 90), "large pictures: no large %s shows" % what)
        check(all(read_kept(p) == data for p, data in planted.items()),
              "large pictures: the kept pictures stay as they were")
        case.installer.click(drv.CLOSE_BUTTON)
        check(case.installer.wait(30) == 0, "large pictures: the close button ends the installer with 0")
    finally:
        case.close()
        for pattern, data in originals.items():
            if data:
                with open(kept_file(pattern), "wb") as f:
                    f.write(data)
            elif os.path.exists(kept_file(pattern)):
                os.remove(kept_file(pattern))


def services_refusing(run):
    """Every service refuses connections (nothing listens on their port): the window shows
    without waiting, an installation attempt fails with the reason under the install button and
    gives the button back, and the close button ends the installer with 0."""
    drv.forget_client()
    remove_partial_installer()
    run.platform.stop()
    try:
        case = Case(run, run.stamped(CHANNEL))
        try:
            if not case.wait_window():
                return
            check(button_shown(case.shot("11-services-refusing")),
                  "services refusing: the install button is offered")
            case.installer.click(drv.INSTALL_BUTTON)
            time.sleep(1)
            failed = case.wait_shot("11-services-refusing-failed",
                                    lambda s: button_shown(s) and reason_pixels(s) > 20, 60)
            check(failed is not None, "services refusing: the button comes back with the reason under it")
            check(case.stays(3), "services refusing: the window stays after the failure")
            case.installer.click(drv.CLOSE_BUTTON)
            check(case.installer.wait(30) == 0, "services refusing: the close button ends the installer with 0")
        finally:
            case.close()
    finally:
        run.start_platform()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--standin-installer", required=True)
    parser.add_argument("--client", required=True)
    parser.add_argument("--wine", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--port", type=int, default=8443,
                        help="the port the installer's service hosts name")
    parser.add_argument("--only", help="run the named cases only (comma-separated)")
    args = parser.parse_args()
    drv.set_wine_runner(args.wine)
    run = Run(args)
    cases = [first_start_with_a_late_service, client_present, empty_channel, game_information_down,
             kept_game_at_once, second_start, client_missing, misbehaviours, failed_then_closed,
             start_while_reporting, odd_channel_tag, changed_picture, large_pictures]
    if args.only:
        named = args.only.split(",")
        cases = [c for c in cases + [services_refusing] if c.__name__ in named]
        if len(cases) != len(set(named)):
            parser.error("unknown case in --only: " + args.only)
    try:
        run_parts(cases, run)
    finally:
        run.platform.stop()
        drv.forget_client()
        remove_partial_installer()
    print("screenshots: " + os.path.abspath(run.artifacts))
    return summary()


if __name__ == "__main__":
    sys.exit(main())

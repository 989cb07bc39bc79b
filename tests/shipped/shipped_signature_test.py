#!/usr/bin/env python3
"""The installer that ships is signed (scripts/env.sh signs it after its build), and its signature
holds through the stamps: one copy stamped with three games and tags one after the other, each
time verified by osslsigncode against the test authority and by WinVerifyTrust under Wine, and
each stamp read back by the installer itself, from its signature: it hands that game to the
platform client and names that tag in its usage report (the end-to-end driver's client-present
road against the stand-in platform).

Usage: shipped_signature_test.py --installer VexoInstall.exe --signature-probe signature_probe.exe
           --standin-installer X.exe --client VexoStandInClient.exe --wine scripts/wine-run.sh
           --port PORT --artifacts FOLDER   (needs $DISPLAY)
"""
import argparse
import os
import subprocess
import sys

from vexoharness import ROOT, signing
from vexoharness import installer as drv
from vexoharness.checks import check, run_parts, summary

sys.path.insert(0, os.path.join(ROOT, "tests", "app"))
import installer_e2e_test as e2e  # noqa: E402  (the end-to-end driver's road and checks)

STAMPS = [("1000450", "qqgame"), ("2000001", "web-0_1.x"), ("3000002", "store")]


def signature_holds(args, exe, label):
    passed, output = signing.osslsigncode_verify(exe)
    check(passed and not signing.invalid_checksum(output), label + ": osslsigncode verifies it",
          output.splitlines()[-12:])
    verdict = signing.probe_verdict(args.wine, args.signature_probe, exe)
    check((verdict.trust, verdict.signer) == (signing.TRUSTED, "Vexo Test Publisher"),
          label + ": WinVerifyTrust trusts it, signed by Vexo Test Publisher (%r)" % verdict)


def signed_as_built(args, _run):
    signature_holds(args, args.installer, "the shipped installer")


def reads_its_stamp(args, run, exe, game_id, tag):
    """The client-present road: the installer hands game_id to the client and reports tag."""
    drv.register_client(args.client)
    drv.forget_launches()
    run.reset()
    case = e2e.Case(run, exe)
    try:
        if not case.wait_window():
            return
        case.installer.click(drv.INSTALL_BUTTON)
        check(case.installer.wait(60) == 0, "%s: the installer exits with 0 after the click" % tag)
        check(e2e.launches_with(" --install=" + game_id),
              "%s: the client is started with --install=%s" % (tag, game_id))
        reports = run.reports()
        check(len(reports) == 1 and '"GameId":%s,"Comefrom":"%s"' % (game_id, tag) in reports[0]["query"],
              "%s: one report names game %s and the tag" % (tag, game_id), [str(r) for r in reports])
    finally:
        case.close()


def three_stamps_one_after_the_other(args, run):
    exe = drv.stamp_copy(args.installer, os.path.join(args.artifacts, "bin"), *STAMPS[0])
    for number, (game_id, tag) in enumerate(STAMPS):
        if number > 0:
            drv.stamp(exe, game_id, tag)
        signature_holds(args, exe, "stamped %s %s" % (game_id, tag))
        printed = subprocess.run([sys.executable, drv.STAMP, "--print", exe], capture_output=True,
                                 text=True).stdout.splitlines()
        check(printed == ["GameId=" + game_id, "Comefrom=" + tag, "Place=signature"],
              "%s: the stamp is in the signature" % tag, printed)
        reads_its_stamp(args, run, exe, game_id, tag)


def main():
    parser = argparse.ArgumentParser()
    for name in ("installer", "signature-probe", "standin-installer", "client", "wine", "artifacts"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--port", type=int, required=True, help="the port the installer's service hosts name")
    args = parser.parse_args()
    drv.set_wine_runner(args.wine)
    run = e2e.Run(args)
    try:
        run_parts([signed_as_built, three_stamps_one_after_the_other], args, run)
    finally:
        run.platform.stop()
        drv.forget_client()
    return summary()


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""The emulated road taken for real (scripts/emulated-i686-run.sh): inside its user namespace a
32-bit program runs under qemu (its fault's frame says trapno -1, 14 once the trapno library is
preloaded) with the emulated programs' Wine set-up, while outside nothing changed: the machine's
binfmt_misc is as it was, and where the machine runs 32-bit programs natively they still do.
Skipped (77) where the runner skips, and where it would use the machine's own handler."""
import os
import subprocess
import sys

from vexoharness import ROOT
from vexoharness.checks import check, summary

RUNNER = os.path.join(ROOT, "scripts", "emulated-i686-run.sh")
BINFMT = "/proc/sys/fs/binfmt_misc"
# What the command inside reports, one line each.
INSIDE = r'''
check="$VEXO_EMULATION_DIR/trapno_check"
echo "VEXO_I386=$VEXO_I386"
echo "wine=$WINEARCH $VEXO_WINE $WINEPREFIX"
echo "handler=$(grep -h '^interpreter\|^flags' /proc/sys/fs/binfmt_misc/vexo-i386 | tr '\n' ' ')"
echo "alone=$(env -u QEMU_SET_ENV "$check")"
echo "preloaded=$("$check")"
'''


def binfmt_entries():
    try:
        return sorted(os.listdir(BINFMT))
    except OSError:
        return []


def run(command, env=None):
    done = subprocess.run(command, capture_output=True, text=True, timeout=600, env=env)
    return done.returncode, done.stdout, done.stderr


def main():
    code, _, said = run(["bash", RUNNER, "--check"])
    if code == 77 or (code == 0 and "machine's binfmt_misc handler" in said):
        print("skipped: " + said.strip())
        return 77
    if not check(code == 0 and "in a user namespace" in said,
                 "the runner would emulate in a user namespace (%d, %s)" % (code, said.strip())):
        return summary()
    env = dict(os.environ)
    emulation = run(["bash", "-c", 'source "$1"; echo "$VEXO_EMULATION_DIR $VEXO_I386"', "bash",
                     os.path.join(ROOT, "scripts", "env.sh")])[1].split()
    trapno_check, outside_mode = os.path.join(emulation[0], "trapno_check"), emulation[1]
    before = binfmt_entries()

    code, out, said = run(["bash", RUNNER, "bash", "-c", INSIDE], env)
    report = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    check(code == 0, "the command ran in the namespace (%d)" % code, said.splitlines()[-20:])
    check(report.get("VEXO_I386") == "emulated",
          "inside: 32-bit programs are found to run through a handler (%s)" % report.get("VEXO_I386"))
    check(report.get("handler", "").split() == ["interpreter", os.path.join(emulation[0], "qemu-i386"),
                                                "flags:", "F"],
          "inside: the handler is the cached qemu, opened at registration (%s)" % report.get("handler"))
    check(report.get("alone") == "trapno -1",
          "inside: a 32-bit program runs under qemu, which reports trapno -1 (%s)" % report.get("alone"))
    check(report.get("preloaded") == "trapno 14",
          "inside: the trapno library puts the page fault's 14 into the frame (%s)"
          % report.get("preloaded"))
    wine = report.get("wine", "").split()
    check(wine[:2] == ["win32", "/usr/lib/wine/wine"] and len(wine) == 3 and
          wine[2] != os.environ.get("WINEPREFIX"),
          "inside: the 32-bit loader with a win32 prefix apart from the suite's (%s)" % wine)
    check(os.path.isfile(os.path.join(wine[2] if len(wine) == 3 else "", "system.reg")),
          "inside: that prefix is made")

    after = binfmt_entries()
    check(after == before and "vexo-i386" not in after,
          "outside: the machine's binfmt_misc is unchanged (%s, before %s)" % (after, before))
    if outside_mode == "native":
        code, out, _ = run([trapno_check])
        check(code == 0 and out.strip() == "trapno 14",
              "outside: 32-bit programs still run natively (%s)" % out.strip())
    return summary()


if __name__ == "__main__":
    sys.exit(main())

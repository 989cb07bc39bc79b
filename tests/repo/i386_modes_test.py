#!/usr/bin/env python3
"""How scripts/env.sh and the emulation's set-up decide where 32-bit programs run, on any
machine: the native probe is made to fail (VEXO_I386_FORCE=refused) and binfmt_misc is a folder
of made-up handler entries (VEXO_BINFMT_DIR). Nothing is registered: the set-up runs with
--dry-run only, and it refuses to register while pretending in any case."""
import os
import subprocess
import sys
import tempfile

from vexoharness import ROOT
from vexoharness.checks import check, run_parts, summary

ENV_SH = os.path.join(ROOT, "scripts", "env.sh")
# What the kernel shows for qemu's handler of i386 programs, and for one of another machine.
I386_ENTRY = """enabled
interpreter /opt/qemu/qemu-i386
flags: F
offset 0
magic 7f454c4601010100000000000000000002000300
mask fffffffffffefefcfffffffffffffffffeffffff
"""
ARM_ENTRY = I386_ENTRY.replace("qemu-i386", "qemu-arm").replace(
    "02000300", "02002800")
# The state a caller's environment may carry from an earlier decision.
INHERITED = ("VEXO_I386", "VEXO_ARCH", "VEXO_TRIPLET", "WINEPREFIX", "WINEARCH", "VEXO_WINE",
             "QEMU_SET_ENV", "VEXO_I386_FORCE", "VEXO_BINFMT_DIR", "VEXO_WINEPREFIX_I686")


class Machine:
    """A made-up machine: its cache and its binfmt_misc folder with the given entries."""

    def __init__(self, work, entries):
        self.cache = os.path.join(work, "cache")
        self.binfmt = os.path.join(work, "binfmt")
        os.makedirs(self.binfmt, exist_ok=True)
        for name, text in entries.items():
            with open(os.path.join(self.binfmt, name), "w") as f:
                f.write(text)

    def env(self):
        env = {k: v for k, v in os.environ.items() if k not in INHERITED}
        env.update(VEXO_CACHE=self.cache, VEXO_BINFMT_DIR=self.binfmt, VEXO_I386_FORCE="refused")
        return env

    def bash(self, script):
        """(exit code, stdout, stderr) of script run after sourcing env.sh."""
        done = subprocess.run(["bash", "-c", 'source "$1"; ' + script, "bash", ENV_SH],
                              env=self.env(), capture_output=True, text=True, timeout=120)
        return done.returncode, done.stdout, done.stderr

    def decision(self):
        """VEXO_I386, VEXO_ARCH, and the i686 Wine set-up (or "refused")."""
        code, out, err = self.bash(
            'echo "$VEXO_I386 $VEXO_ARCH"; '
            'if vexo_use_i686_wine; then echo "$WINEARCH $VEXO_WINE $WINEPREFIX $QEMU_SET_ENV"; '
            'else echo refused; fi')
        lines = out.splitlines()
        return (lines + ["", ""])[:2], err


def refusing_without_handler(work):
    machine = Machine(os.path.join(work, "none"), {"status": "enabled\n", "register": ""})
    (modes, i686), said = machine.decision()
    check(modes == "none x86_64", "no handler: 32-bit programs cannot run, the suite is x86_64 (%s)" % modes)
    check("cannot run here" in said, "no handler: env.sh says so (%s)" % said.strip())
    check(i686 == "refused", "no handler: there is no i686 Wine set-up (%s)" % i686)
    done = subprocess.run(["bash", os.path.join(ROOT, "scripts", "shipped-i686-run.sh"), "true"],
                          env=machine.env(), capture_output=True, text=True, timeout=120)
    check(done.returncode == 77 and "skipped" in done.stderr,
          "no handler: the shipped tests' runner skips (%d, %s)" % (done.returncode, done.stderr.strip()))


def refusing_with_handler(work):
    machine = Machine(os.path.join(work, "emulated"), {"qemu-i386": I386_ENTRY})
    (modes, i686), said = machine.decision()
    check(modes == "emulated x86_64",
          "a handler of i386 programs: emulated, the suite stays x86_64 (%s)" % modes)
    check("qemu-i386 /opt/qemu/qemu-i386" in said, "the handler is named (%s)" % said.strip())
    fields = i686.split(" ")
    check(fields[:2] == ["win32", "/usr/lib/wine/wine"] and
          fields[2] == os.path.join(machine.cache, "wineprefix"),
          "emulated: the 32-bit loader with a win32 prefix of its own (%s)" % i686)
    preload = "LD_PRELOAD=%s/emulation/preload/$LIB/libvexo_trapno.so" % machine.cache
    check(fields[3:] == [preload], "emulated: qemu preloads the trapno library by $LIB (%s)" % i686)


def handlers_that_do_not_take_i386(work):
    for name, entries in (("disabled", {"qemu-i386": I386_ENTRY.replace("enabled", "disabled")}),
                          ("other machine", {"qemu-arm": ARM_ENTRY}),
                          ("by extension", {"jar": "enabled\ninterpreter /usr/bin/jexec\nextension .jar\n"})):
        machine = Machine(os.path.join(work, name.replace(" ", "-")), entries)
        (modes, _), _ = machine.decision()
        check(modes == "none x86_64", "%s handler: 32-bit programs cannot run (%s)" % (name, modes))


def setup_dry_run(work):
    machine = Machine(os.path.join(work, "setup"), {})
    done = subprocess.run(["bash", os.path.join(ROOT, "scripts", "setup-i386-emulation.sh"),
                           "--dry-run"], env=machine.env(), capture_output=True, text=True,
                          timeout=120)
    out = done.stdout
    check(done.returncode == 0, "set-up dry run: ends well (%d: %s)" % (done.returncode, done.stderr.strip()))
    check("would fetch qemu-user from bookworm-backports" in out and
          "would build the trapno library" in out,
          "set-up dry run: fetches qemu and builds the trapno library into the cache")
    check("would register %s/emulation/qemu-i386 as the binfmt_misc handler vexo-i386 of i386 "
          "programs (flags F)" % machine.cache in out, "set-up dry run: registers the cached qemu with F")
    check(not os.path.exists(os.path.join(machine.cache, "emulation")),
          "set-up dry run: writes nothing", [out])


def main():
    with tempfile.TemporaryDirectory() as work:
        run_parts([refusing_without_handler, refusing_with_handler, handlers_that_do_not_take_i386,
                   setup_dry_run], work)
    return summary()


if __name__ == "__main__":
    sys.exit(main())

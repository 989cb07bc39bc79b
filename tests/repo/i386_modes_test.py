#!/usr/bin/env python3
"""How scripts/env.sh, the emulation's set-up and the runners of the shipped programs decide
where 32-bit programs run, on any machine: the native probe is made to fail
(VEXO_I386_FORCE=refused), binfmt_misc is a folder of made-up handler entries (VEXO_BINFMT_DIR)
and user namespaces may be made to look unavailable (VEXO_USERNS_FORCE). Nothing is registered:
the set-up runs with --dry-run only (and refuses to register machine-wide while pretending in
any case), and the emulated runner only says which way it would go (--check)."""
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
             "QEMU_SET_ENV", "VEXO_I386_FORCE", "VEXO_BINFMT_DIR", "VEXO_WINEPREFIX_I686",
             "VEXO_WINEPREFIX_EMULATED", "VEXO_USERNS_FORCE")
SCRIPTS = os.path.join(ROOT, "scripts")


class Machine:
    """A made-up machine: its cache and its binfmt_misc folder with the given entries; one that
    refuses 32-bit code unless native, without user namespaces unless namespaces."""

    def __init__(self, work, entries, native=False, namespaces=True):
        self.cache = os.path.join(work, "cache")
        self.binfmt = os.path.join(work, "binfmt")
        self.native, self.namespaces = native, namespaces
        os.makedirs(self.binfmt, exist_ok=True)
        for name, text in entries.items():
            with open(os.path.join(self.binfmt, name), "w") as f:
                f.write(text)

    def env(self):
        env = {k: v for k, v in os.environ.items() if k not in INHERITED}
        env.update(VEXO_CACHE=self.cache, VEXO_BINFMT_DIR=self.binfmt)
        if not self.native:
            env["VEXO_I386_FORCE"] = "refused"
        if not self.namespaces:
            env["VEXO_USERNS_FORCE"] = "unavailable"
        return env

    def run(self, script, *args):
        """(exit code, stdout, stderr) of one of the project's scripts."""
        done = subprocess.run(["bash", os.path.join(SCRIPTS, script)] + list(args),
                              env=self.env(), capture_output=True, text=True, timeout=120)
        return done.returncode, done.stdout, done.stderr

    def with_emulation_parts(self):
        """The cache as the emulation's set-up leaves it (a stand-in qemu that only says its
        version, the trapno library's file): for decisions that never start a program."""
        emulation = os.path.join(self.cache, "emulation")
        os.makedirs(os.path.join(emulation, "preload", "lib", "i386-linux-gnu"), exist_ok=True)
        open(os.path.join(emulation, "preload", "lib", "i386-linux-gnu", "libvexo_trapno.so"),
             "w").close()
        qemu = os.path.join(emulation, "qemu-i386")
        with open(qemu, "w") as f:
            f.write("#!/bin/sh\necho qemu-i386 version 10\n")
        os.chmod(qemu, 0o755)
        return self

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


def this_machine(script):
    """What env.sh finds on this very machine (VEXO_I386 native, say) and whether a user
    namespace with a binfmt_misc of its own can be had here."""
    env = {k: v for k, v in os.environ.items() if k not in INHERITED}
    done = subprocess.run(["bash", "-c", 'source "$1"; source "$2"; ' + script, "bash", ENV_SH,
                           os.path.join(SCRIPTS, "emulation", "handler.sh")],
                          env=env, capture_output=True, text=True, timeout=120)
    return done.stdout.strip()


def refusing_without_handler(work):
    machine = Machine(os.path.join(work, "none"), {"status": "enabled\n", "register": ""})
    (modes, i686), said = machine.decision()
    check(modes == "none x86_64", "no handler: 32-bit programs cannot run, the suite is x86_64 (%s)" % modes)
    check("cannot run here" in said, "no handler: env.sh says so (%s)" % said.strip())
    check(i686 == "refused", "no handler: there is no i686 Wine set-up (%s)" % i686)
    code, _, said = machine.run("shipped-i686-run.sh", "true")
    check(code == 77 and "skipped" in said,
          "no handler: the native shipped tests' runner skips (%d, %s)" % (code, said.strip()))


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
    code, _, said = machine.run("shipped-i686-run.sh", "true")
    check(code == 77 and "shipped_i686_emulated_" in said,
          "emulated: the native shipped tests' runner skips, naming the emulated ones (%d, %s)"
          % (code, said.strip()))


def handlers_that_do_not_take_i386(work):
    for name, entries in (("disabled", {"qemu-i386": I386_ENTRY.replace("enabled", "disabled")}),
                          ("other machine", {"qemu-arm": ARM_ENTRY}),
                          ("by extension", {"jar": "enabled\ninterpreter /usr/bin/jexec\nextension .jar\n"})):
        machine = Machine(os.path.join(work, name.replace(" ", "-")), entries)
        (modes, _), _ = machine.decision()
        check(modes == "none x86_64", "%s handler: 32-bit programs cannot run (%s)" % (name, modes))


def emulated_runner(work):
    """Which way scripts/emulated-i686-run.sh would emulate 32-bit programs, or why it skips."""
    cases = (
        # (label, machine, exit code, what it says)
        ("not set up", Machine(os.path.join(work, "bare"), {"qemu-i386": I386_ENTRY}),
         77, "no qemu-i386 in"),
        ("refused, the machine's handler, no namespaces",
         Machine(os.path.join(work, "handler"), {"qemu-i386": I386_ENTRY},
                 namespaces=False).with_emulation_parts(),
         0, "emulated by the machine's binfmt_misc handler"),
        ("refused, no handler, no namespaces",
         Machine(os.path.join(work, "nothing"), {}, namespaces=False).with_emulation_parts(),
         77, "the machine has no handler of i386 programs"),
    )
    if this_machine("vexo_private_binfmt >/dev/null && echo yes") == "yes":
        cases += (("refused, no handler, namespaces",
                   Machine(os.path.join(work, "namespace"), {}).with_emulation_parts(),
                   0, "emulated in a user namespace of their own"),)
    if this_machine('echo "$VEXO_I386"') == "native":
        cases += (("native, no namespaces",
                   Machine(os.path.join(work, "native"), {}, native=True,
                           namespaces=False).with_emulation_parts(),
                   77, "a handler of the machine's would take every 32-bit program"),)
    for label, machine, expected_code, expected_text in cases:
        code, _, said = machine.run("emulated-i686-run.sh", "--check")
        check(code == expected_code and expected_text in said,
              "emulated runner, %s: %d, %r (%d, %s)" % (label, expected_code, expected_text, code,
                                                        said.strip()))


def setup_dry_run(work):
    """What the set-up would do: qemu and the trapno library in the cache and the emulated
    programs' prefix made, registered in each run's own namespace where one can be had; machine-
    wide only where 32-bit code is refused and none can be; nothing where they run natively and
    none can be."""
    cases = [("no namespaces", Machine(os.path.join(work, "setup"), {}, namespaces=False), True)]
    if this_machine("vexo_private_binfmt >/dev/null && echo yes") == "yes":
        cases.append(("namespaces", Machine(os.path.join(work, "setup-ns"), {}), False))
    for label, machine, machine_wide in cases:
        code, out, said = machine.run("setup-i386-emulation.sh", "--dry-run")
        check(code == 0, "set-up dry run, %s: ends well (%d: %s)" % (label, code, said.strip()))
        check("would fetch qemu-user from bookworm-backports" in out and
              "would build the trapno library" in out and
              "would make the win32 prefix %s/wineprefix-emulated under emulation" % machine.cache
              in out,
              "set-up dry run, %s: fetches qemu, builds the trapno library, makes the prefix" % label,
              [out])
        registers = ("would register %s/emulation/qemu-i386 as the binfmt_misc handler vexo-i386 "
                     "of i386 programs (flags F)" % machine.cache) in out
        check(registers == machine_wide, "set-up dry run, %s: %s" % (
            label, "registers the cached qemu machine-wide with F" if machine_wide else
            "registers nothing machine-wide, each run does in its own namespace"), [out])
        check(not any(os.path.exists(os.path.join(machine.cache, name))
                      for name in ("emulation", "wineprefix-emulated")),
              "set-up dry run, %s: writes nothing" % label, [out])
    if this_machine('echo "$VEXO_I386"') == "native":
        machine = Machine(os.path.join(work, "setup-native"), {}, native=True, namespaces=False)
        code, out, _ = machine.run("setup-i386-emulation.sh", "--dry-run")
        check(code == 0 and "cannot be emulated beside them here" in out and "would" not in out,
              "set-up dry run, native without namespaces: sets up nothing, says why", [out])


def main():
    with tempfile.TemporaryDirectory() as work:
        run_parts([refusing_without_handler, refusing_with_handler, handlers_that_do_not_take_i386,
                   emulated_runner, setup_dry_run], work)
    return summary()


if __name__ == "__main__":
    sys.exit(main())

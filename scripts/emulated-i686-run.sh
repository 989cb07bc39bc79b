#!/usr/bin/env bash
# Runs a command (the shipped_i686_emulated_ tests' driver) with every 32-bit x86 program it
# starts emulated by user-mode qemu, as on a machine that refuses 32-bit code, whether or not this
# one runs them natively:
# - in a user namespace of its own, where one can have a binfmt_misc instance of its own (Linux
#   6.7 and later): qemu is the handler of i386 programs there, seen by the namespace's processes
#   only, and nothing outside it changes. Only the user and mount namespaces are new: the
#   network (the X display's socket, the stand-in servers the drivers start on localhost) and
#   /tmp (the wineserver's socket) are the machine's;
# - else through the machine's own handler, which scripts/setup.sh registers where 32-bit code is
#   refused and no such namespace can be had.
# The command gets the 32-bit Wine loader with the emulated programs' own win32 prefix
# (VEXO_WINEPREFIX_EMULATED, made once and cached) and wineserver, started before it, and the
# trapno library preloaded into emulated processes (scripts/env.sh's vexo_use_i686_wine).
# Exits with 77, which CTest counts as skipped for these tests, saying why, where 32-bit programs
# cannot be emulated here.
#   emulated-i686-run.sh COMMAND [ARG ...]
#   emulated-i686-run.sh --check     says how they would be emulated, or why not (exit 77)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
source "$VEXO_ROOT/scripts/emulation/handler.sh"

say() { echo "emulated-i686-run: $*" >&2; }

# The emulated programs' Wine set-up, their prefix made when missing, then the command.
run_emulated() {
  export VEXO_WINEPREFIX_I686="$VEXO_WINEPREFIX_EMULATED"
  vexo_use_i686_wine
  bash "$VEXO_ROOT/scripts/wine-prefix.sh" >&2
  # The prefix's wineserver and its service programs started before the command's clocks run
  # (the display does that for the suite's own prefix): under emulation they take seconds.
  python3 -c 'import os; from vexoharness import display; display.warm_up_wine(dict(os.environ))'
  say "32-bit programs run emulated ($1), prefix $WINEPREFIX"
  shift
  exec "$@"
}

# Inside the namespace (the command line below): its own binfmt_misc with qemu as the handler,
# then the command, with 32-bit programs found to run through that handler.
if [ "${1:-}" = --in-namespace ]; then
  shift
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  vexo_register_i386_handler /proc/sys/fs/binfmt_misc
  vexo_detect_i386 2>/dev/null
  if [ "$VEXO_I386" != emulated ]; then
    say "the namespace's handler does not run 32-bit programs ($VEXO_I386)"
    exit 1
  fi
  run_emulated "in a user namespace of its own" "$@"
fi

skip() {
  say "skipped, 32-bit programs cannot be emulated here: $*"
  exit 77
}

missing=$(vexo_emulation_parts) || skip "$missing"
if namespace_says=$(vexo_private_binfmt); then
  road=namespace
elif [ "$VEXO_I386" = emulated ]; then
  road=machine
elif [ "$VEXO_I386" = native ]; then
  skip "$namespace_says; a handler of the machine's would take every 32-bit program of it away" \
    "from the kernel"
else
  skip "$namespace_says, and the machine has no handler of i386 programs (scripts/setup.sh" \
    "registers it)"
fi
if [ "${1:-}" = --check ]; then
  case "$road" in
    namespace) say "32-bit programs are emulated in a user namespace of their own" ;;
    machine) say "32-bit programs are emulated by the machine's binfmt_misc handler" ;;
  esac
  exit 0
fi
[ $# -gt 0 ] || { sed -n '2,/^set -e/p' "$0" | sed '$d' >&2; exit 2; }
if [ "$road" = machine ]; then
  run_emulated "through the machine's binfmt_misc handler" "$@"
fi
# The state found outside (VEXO_I386 native, say) does not hold inside: it is found again there.
exec unshare --user --map-root-user --mount bash "$0" --in-namespace "$@"

# Shared environment of the project's scripts: sourced, never run.
# Everything the scripts build or install outside the repository lives under VEXO_CACHE.
export VEXO_CACHE="${VEXO_CACHE:-$HOME/.cache/vexo}"
VEXO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export VEXO_ROOT
export VEXO_TESTCA_DIR="$VEXO_CACHE/testca"
# The Python harness of the tests, benchmarks, demonstration and stand-in platform
# (tools/vexoharness) is found through this one setting (once, however often this is sourced).
case ":${PYTHONPATH:-}:" in
  *":$VEXO_ROOT/tools:"*) ;;
  *) export PYTHONPATH="$VEXO_ROOT/tools${PYTHONPATH:+:$PYTHONPATH}" ;;
esac

# vexo_i386_probe: the path of a minimal static i386 Linux program that only exits (written
# into the cache when missing).
vexo_i386_probe() {
  local probe="$VEXO_CACHE/probe-i386"
  if [ ! -x "$probe" ]; then
    mkdir -p "$VEXO_CACHE"
    python3 "$VEXO_ROOT/scripts/make-i386-probe.py" "$probe" || return 1
  fi
  echo "$probe"
}

# vexo_runs_i386: whether this machine runs 32-bit x86 programs: the probe runs. Some virtual
# machines refuse them (the kernel answers "Exec format error"), and wine32 cannot start there.
# VEXO_I386_FORCE=refused makes the probe fail as on such a machine: for tests of the decisions
# below, which then register nothing.
vexo_runs_i386() {
  local probe
  probe=$(vexo_i386_probe) || return 1
  [ "${VEXO_I386_FORCE:-}" != refused ] && "$probe" 2>/dev/null
}

# vexo_i386_handler: the binfmt_misc handler that would run the probe ("NAME INTERPRETER"), if
# one is registered. A handler takes precedence over the kernel's own loader, so a probe that
# "runs" through one is emulated. VEXO_BINFMT_DIR stands in for /proc/sys/fs/binfmt_misc in the
# decision tests.
vexo_i386_handler() {
  local probe
  probe=$(vexo_i386_probe) || return 1
  python3 "$VEXO_ROOT/scripts/binfmt_handler.py" "$probe" \
    "${VEXO_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}"
}

# vexo_detect_i386: sets VEXO_I386 to how 32-bit programs run here and says so on stderr:
#   native    the processor and kernel run them;
#   emulated  a binfmt_misc handler (user-mode qemu, registered by scripts/setup.sh) runs them;
#   none      they cannot run (a machine that refuses them, after a restart dropped the handler).
vexo_detect_i386() {
  local handler
  handler=$(vexo_i386_handler) || handler=
  if [ "${VEXO_I386_FORCE:-}" = refused ]; then
    # Pretending the kernel refuses them: a registered handler is taken at its word.
    VEXO_I386=$([ -n "$handler" ] && echo emulated || echo none)
  elif vexo_runs_i386; then
    VEXO_I386=$([ -n "$handler" ] && echo emulated || echo native)
  else
    VEXO_I386=none
  fi
  export VEXO_I386
  case "$VEXO_I386" in
    native) echo "env: 32-bit programs run natively" >&2 ;;
    emulated) echo "env: 32-bit programs run under emulation (binfmt_misc handler $handler)" >&2 ;;
    none) echo "env: 32-bit programs cannot run here (scripts/setup.sh sets up their emulation)" >&2 ;;
  esac
}
# Found once for a shell and the processes it starts.
[ -n "${VEXO_I386:-}" ] || vexo_detect_i386

# The architecture the Windows programs are built for to run here: i686 (the product's own)
# where 32-bit programs run natively, else x86_64 under Debian's wine64 (emulated 32-bit code is
# several times slower: there only the shipped_i686_ tests run the i686 programs, see
# vexo_use_i686_wine).
if [ -z "${VEXO_ARCH:-}" ]; then
  if [ "$VEXO_I386" = native ]; then VEXO_ARCH=i686; else VEXO_ARCH=x86_64; fi
fi
export VEXO_ARCH
export VEXO_TRIPLET="$VEXO_ARCH-w64-mingw32"

# Where the emulation of 32-bit programs keeps qemu and its preload library (scripts/setup.sh).
export VEXO_EMULATION_DIR="$VEXO_CACHE/emulation"
# The prefix of 32-bit programs where the suite's own is a 64-bit one.
export VEXO_WINEPREFIX_I686="${VEXO_WINEPREFIX_I686:-$VEXO_CACHE/wineprefix}"

if [ "$VEXO_ARCH" = i686 ]; then
  export WINEARCH=win32
  export WINEPREFIX="${WINEPREFIX:-$VEXO_CACHE/wineprefix}"
  export VEXO_WINE="${VEXO_WINE:-wine}"
else
  export WINEARCH=win64
  export WINEPREFIX="${WINEPREFIX:-$VEXO_CACHE/wineprefix-win64}"
  # Debian's "wine" script prefers the 32-bit loader whenever wine32 is installed, and that
  # loader cannot start without the emulation's handler.
  export VEXO_WINE="${VEXO_WINE:-/usr/lib/wine/wine64}"
fi

# vexo_use_i686_wine: switches this shell to the Wine set-up of the shipped i686 programs: where
# the suite runs i686 natively nothing changes; elsewhere (also where scripts/emulated-i686-run.sh
# emulates them on a machine that runs them natively) the 32-bit loader with the win32 prefix
# VEXO_WINEPREFIX_I686, and under emulation the trapno library (scripts/emulation/trapno_preload.c)
# preloaded into the emulated processes only (qemu sets it in its guest's environment; "$LIB" lets
# 64-bit programs they start find an empty library of their own class). Fails when 32-bit
# programs cannot run here.
vexo_use_i686_wine() {
  [ "$VEXO_I386" != none ] || return 1
  [ "$VEXO_ARCH" = i686 ] && [ "$VEXO_I386" = native ] && return 0
  export VEXO_ARCH=i686 VEXO_TRIPLET=i686-w64-mingw32 WINEARCH=win32
  export WINEPREFIX="$VEXO_WINEPREFIX_I686" VEXO_WINE=/usr/lib/wine/wine
  if [ "$VEXO_I386" = emulated ]; then
    export QEMU_SET_ENV="LD_PRELOAD=$VEXO_EMULATION_DIR/preload/\$LIB/libvexo_trapno.so"
  fi
}
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installation prompts when the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# vexo_build_shipped_installer DIR [CMAKE_OPTION ...]: builds the installer that ships (i686,
# release, libcurl on the system's TLS) in DIR, with its own i686 dependencies.
vexo_build_shipped_installer() {
  local dir="$1"; shift
  bash "$VEXO_ROOT/scripts/build-deps.sh" i686 schannel
  VEXO_ARCH=i686 cmake -S "$VEXO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVEXO_ARCH=i686 -DVEXO_TLS=schannel -DBUILD_TESTING=OFF "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target VexoInstall
}

# The port of the stand-in platform that the shipped_i686_ tests start (the installer they run
# is built with its service hosts there): not the default build's 8443, so that both can run at
# once on one machine.
export VEXO_SHIPPED_PORT="${VEXO_SHIPPED_PORT:-8453}"

# vexo_build_shipped_subset DIR: what the shipped_i686_ tests run, built in DIR: the installer
# that ships (release, stripped, its service hosts on https://localhost:VEXO_SHIPPED_PORT, signed
# with the test authority's code-signing certificate: scripts/sign.sh) and the stand-in
# platform's client installer and client and the probes of handled faults and of signatures,
# for i686.
vexo_build_shipped_subset() {
  local dir="$1" host="https://localhost:$VEXO_SHIPPED_PORT"
  vexo_build_shipped_installer "$dir" -DVEXO_GAMEINFO_HOST="$host" -DVEXO_DATA_HOST="$host" \
    -DVEXO_STATS_HOST="$host"
  cmake --build "$dir" -j"$(nproc)" --target VexoStandInInstaller VexoStandInClient \
    shipped_fault_probe signature_probe
  bash "$VEXO_ROOT/scripts/sign.sh" "$dir/app/VexoInstall.exe"
}

# vexo_on_virtual_display COMMAND [ARG ...]: runs the command inside its own X display (Xvfb)
# with a compositing manager (layered windows such as the drop shadow render only with one, as
# on every Windows desktop) and a single wineserver for the whole run, warmed up so that the first
# real program does not pay for the prefix's start-up (tools/vexoharness/display.py, the one way
# the project starts a display).
vexo_on_virtual_display() {
  python3 -m vexoharness.display -- "$@"
}

# vexo_on_display COMMAND [ARG ...]: runs the command on the user's display when there is one,
# else on a virtual one (vexo_on_virtual_display).
vexo_on_display() {
  python3 -m vexoharness.display --current -- "$@"
}

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

# vexo_runs_i386: whether this machine runs 32-bit x86 programs. Some virtual machines refuse
# them (the kernel answers "Exec format error"), and wine32 cannot start there. The probe is a
# minimal static i386 Linux program that only exits.
vexo_runs_i386() {
  local probe="$VEXO_CACHE/probe-i386"
  if [ ! -x "$probe" ]; then
    mkdir -p "$VEXO_CACHE"
    python3 "$VEXO_ROOT/scripts/make-i386-probe.py" "$probe" || return 1
  fi
  "$probe" 2>/dev/null
}

# The architecture the Windows programs are built for to run here: i686 (the product's own)
# wherever 32-bit programs run, else x86_64 under Debian's wine64. The shipped installer is i686
# in every case (scripts/test.sh builds it beside the test build and checks its image type).
if [ -z "${VEXO_ARCH:-}" ]; then
  if vexo_runs_i386; then VEXO_ARCH=i686; else VEXO_ARCH=x86_64; fi
fi
export VEXO_ARCH
export VEXO_TRIPLET="$VEXO_ARCH-w64-mingw32"

if [ "$VEXO_ARCH" = i686 ]; then
  export WINEARCH=win32
  export WINEPREFIX="${WINEPREFIX:-$VEXO_CACHE/wineprefix}"
  export VEXO_WINE="${VEXO_WINE:-wine}"
else
  export WINEARCH=win64
  export WINEPREFIX="${WINEPREFIX:-$VEXO_CACHE/wineprefix-win64}"
  # Debian's "wine" script prefers the 32-bit loader whenever wine32 is installed.
  export VEXO_WINE="${VEXO_WINE:-/usr/lib/wine/wine64}"
fi
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installation prompts when the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# vexo_build_shipped_installer DIR [CMAKE_OPTION ...]: builds the installer that ships (i686,
# release) in DIR, with its own i686 dependencies.
vexo_build_shipped_installer() {
  local dir="$1"; shift
  bash "$VEXO_ROOT/scripts/build-deps.sh" i686
  VEXO_ARCH=i686 cmake -S "$VEXO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVEXO_ARCH=i686 -DBUILD_TESTING=OFF "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target VexoInstall
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

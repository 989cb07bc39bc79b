#!/usr/bin/env bash
# The whole test suite from a fresh Debian 12 machine: installs what is missing, builds the
# dependencies when they are not cached, builds the project and runs every test under Wine.
#   scripts/test.sh [extra ctest arguments]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="${VEXO_BUILD_DIR:-$VEXO_ROOT/build}"

bash "$VEXO_ROOT/scripts/setup.sh"
bash "$VEXO_ROOT/scripts/build-deps.sh"

# The shipped installer is the i686 one. Where the programs that run here are built for another
# architecture (scripts/env.sh), the i686 installer is built beside them so that the suite can
# check the image that ships.
shipped=()
if [ "$VEXO_ARCH" != i686 ]; then
  bash "$VEXO_ROOT/scripts/build-deps.sh" i686
  VEXO_ARCH=i686 cmake -S "$VEXO_ROOT" -B "$build-i686" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVEXO_ARCH=i686 -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build-i686" -j"$(nproc)" --target VexoInstall
  shipped=(-DVEXO_SHIPPED_INSTALLER="$build-i686/app/VexoInstall.exe")
fi

cmake -S "$VEXO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=ON \
  -DVEXO_ARCH="$VEXO_ARCH" "${shipped[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# Inside one X display (windows that tests open need one) with a compositing manager (layered
# windows such as the drop shadow render only with one, as on every Windows desktop): a single
# wineserver for the whole run, so each test program starts fast, warmed up by one trivial
# program so that the first test does not pay for the prefix's start-up. The server leaves by
# itself 30 s after the last Wine process. (Started outside the display, the first program of
# the run waits half a minute.)
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  xcompmgr >/dev/null 2>&1 &
  wineserver -p30 2>/dev/null || true
  "$VEXO_WINE" cmd /c exit >/dev/null 2>&1 || true
  exec ctest --test-dir "$0" --output-on-failure -j"$(nproc)" "${@}"' "$build" "$@"

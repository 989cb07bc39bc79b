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
  vexo_build_shipped_installer "$build-i686"
  shipped=(-DVEXO_SHIPPED_INSTALLER="$build-i686/app/VexoInstall.exe")
fi

cmake -S "$VEXO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=ON \
  -DVEXO_ARCH="$VEXO_ARCH" "${shipped[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# Windows that tests open need a display: a virtual one, with a compositing manager and one
# wineserver for the whole run (scripts/env.sh).
vexo_on_virtual_display ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"

#!/usr/bin/env bash
# The whole test suite from a fresh Debian 12 machine: installs what is missing, builds the
# dependencies when they are not cached, builds the project and runs every test under Wine, then
# the TLS tests once more on the build that uses the system's own TLS (VEXO_TLS=schannel).
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

# The build on the system's own TLS (VEXO_TLS=schannel): its programs that make HTTPS requests
# through libcurl, for the same certificate checks as the default build.
bash "$VEXO_ROOT/scripts/build-deps.sh" "$VEXO_ARCH" schannel
cmake -S "$VEXO_ROOT" -B "$build-schannel" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=ON \
  -DVEXO_ARCH="$VEXO_ARCH" -DVEXO_TLS=schannel >/dev/null
cmake --build "$build-schannel" -j"$(nproc)" --target app_logic_tests dependency_smoke

# Windows that tests open need a display: a virtual one, with a compositing manager and one
# wineserver for the whole run (scripts/env.sh). Given a selection of tests (extra arguments),
# only the selection runs.
vexo_on_virtual_display bash -c '
  ctest --test-dir "$1" --output-on-failure -j"$(nproc)" "${@:3}" || exit 1
  [ $# -gt 2 ] || ctest --test-dir "$2" --output-on-failure -R "^(app_logic|support_dependencies)\$"' \
  ctest-runs "$build" "$build-schannel" "$@"

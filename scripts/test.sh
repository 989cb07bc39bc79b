#!/usr/bin/env bash
# The whole test suite from a fresh Debian 12 machine: installs what is missing, builds the
# dependencies when they are not cached, builds the project and runs every test under Wine.
#   scripts/test.sh [extra ctest arguments]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="${VEXO_BUILD_DIR:-$VEXO_ROOT/build}"

bash "$VEXO_ROOT/scripts/setup.sh"
bash "$VEXO_ROOT/scripts/build-deps.sh"

cmake -S "$VEXO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

# One wineserver for the whole run, so each test program starts fast; it leaves by itself
# shortly after the last Wine process of the run. (One that is already running serves as well.)
wineserver -p30 2>/dev/null || true

# Windows that tests open need a display.
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"

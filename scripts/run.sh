#!/usr/bin/env bash
# The product's main job on a fresh Debian 12 machine: installs what is missing, builds, and
# starts the installer executable under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="${VEXO_BUILD_DIR:-$VEXO_ROOT/build}"

bash "$VEXO_ROOT/scripts/setup.sh"
bash "$VEXO_ROOT/scripts/build-deps.sh"
cmake -S "$VEXO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target VexoInstall

installer="$build/app/VexoInstall.exe"
echo "run: starting $installer (stamp: $(python3 "$VEXO_ROOT/tools/stamp.py" --print "$installer" | tr '\n' ' '))"
rc=0
if [ -n "${DISPLAY:-}" ]; then
  "$VEXO_WINE" "$installer" || rc=$?
else
  xvfb-run -a -s "-screen 0 1280x1024x24" "$VEXO_WINE" "$installer" || rc=$?
fi
echo "run: the installer exited with code $rc"

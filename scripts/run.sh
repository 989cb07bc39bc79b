#!/usr/bin/env bash
# The product's main job on a fresh Debian 12 machine, as a demonstration: installs what is
# missing, builds the installer and the stand-in platform, then runs the installer's whole
# missing-client road under Wine against the stand-in platform on this machine (a stamped copy,
# its window, a click on the install button, the progress, the silent installation of the
# stand-in client and the hand-over of the game) and leaves screenshots of each state, a summary
# and the platform's request log in the output folder it prints.
#   scripts/run.sh [OUTPUT_FOLDER]          (default: BUILD/demo)
# The window shows on the user's display when there is one, else on a virtual one (Xvfb).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="${VEXO_BUILD_DIR:-$VEXO_ROOT/build}"
out="${1:-$build/demo}"

bash "$VEXO_ROOT/scripts/setup.sh"
bash "$VEXO_ROOT/scripts/build-deps.sh"
cmake -S "$VEXO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_ARCH="$VEXO_ARCH" >/dev/null
cmake --build "$build" -j"$(nproc)" --target VexoInstall VexoStandInInstaller

demo=(python3 "$VEXO_ROOT/tools/demo/run_demo.py" "$build/app/VexoInstall.exe"
      "$build/tools/platform/VexoStandInInstaller.exe" "$out")
vexo_on_display "${demo[@]}"

#!/usr/bin/env bash
# The start-up benchmark's preparation (through scripts/bench.sh startup [runs]): builds the
# release installer and the stand-in client installer in the bench build, the shipped i686
# installer beside it when the programs that run here are another architecture, and the NSIS
# stubs with Debian's makensis; then runs tools/bench/bench_startup.py on a display with a
# compositing manager and one wineserver for the whole run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"
build="$1"; shift
runs="${1:-5}"

command -v makensis >/dev/null || bash "$VEXO_ROOT/scripts/setup.sh"
cmake --build "$build" -j"$(nproc)" --target VexoInstall VexoStandInInstaller

sizes=("VexoInstall.exe, $VEXO_TRIPLET=$build/app/VexoInstall.exe")
nsis_target=x86-unicode
[ "$VEXO_ARCH" = i686 ] || nsis_target=amd64-unicode
makensis -V1 -DTARGET="$nsis_target" -DOUTFILE="$build/nsis_stub_$nsis_target.exe" \
  "$VEXO_ROOT/tools/bench/nsis_stub.nsi" >/dev/null
stubs=("NSIS stub, $nsis_target=$build/nsis_stub_$nsis_target.exe")
if [ "$VEXO_ARCH" != i686 ]; then
  # The shipped installer and the 32-bit stub, measured for size only: they cannot run here.
  bash "$VEXO_ROOT/scripts/build-deps.sh" i686
  VEXO_ARCH=i686 cmake -S "$VEXO_ROOT" -B "$build-i686" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVEXO_ARCH=i686 -DVEXO_UBSAN_TRAP=OFF -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build-i686" -j"$(nproc)" --target VexoInstall
  makensis -V1 -DTARGET=x86-unicode -DOUTFILE="$build/nsis_stub_x86-unicode.exe" \
    "$VEXO_ROOT/tools/bench/nsis_stub.nsi" >/dev/null
  sizes+=("VexoInstall.exe, i686 (shipped)=$build-i686/app/VexoInstall.exe")
  stubs+=("NSIS stub, x86-unicode=$build/nsis_stub_x86-unicode.exe")
fi

harness=(python3 "$VEXO_ROOT/tools/bench/bench_startup.py" --runs "$runs"
         --installer "$build/app/VexoInstall.exe"
         --standin-installer "$build/tools/platform/VexoStandInInstaller.exe"
         --nsis "$build/nsis_stub_$nsis_target.exe")
for item in "${sizes[@]}"; do harness+=(--size "$item"); done
for item in "${stubs[@]}"; do harness+=(--stub-size "$item"); done

if [ -n "${DISPLAY:-}" ]; then
  wineserver -p30 2>/dev/null || true
  exec "${harness[@]}"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  xcompmgr >/dev/null 2>&1 &
  wineserver -p30 2>/dev/null || true
  "$VEXO_WINE" cmd /c exit >/dev/null 2>&1 || true
  exec "$@"' _ "${harness[@]}"

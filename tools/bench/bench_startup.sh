#!/usr/bin/env bash
# The start-up benchmark's preparation (through scripts/bench.sh startup [runs]): builds the
# release installer and the stand-in client installer in the bench build, the shipped i686
# installer beside it when the programs that run here are another architecture, and the NSIS
# stubs with Debian's makensis; then runs tools/bench/bench_startup.py on a display with a
# compositing manager and one wineserver for the whole run (scripts/env.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"
build="$1"; shift
runs="${1:-5}"

command -v makensis >/dev/null || bash "$VEXO_ROOT/scripts/setup.sh"
cmake --build "$build" -j"$(nproc)" --target VexoInstall VexoStandInInstaller
# The same installer on OpenSSL (VEXO_TLS=openssl), beside the default one on the system's TLS.
bash "$VEXO_ROOT/scripts/build-deps.sh" "$VEXO_ARCH" openssl
cmake -S "$VEXO_ROOT" -B "$build-openssl" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=OFF \
  -DBUILD_TESTING=OFF -DVEXO_TLS=openssl >/dev/null
cmake --build "$build-openssl" -j"$(nproc)" --target VexoInstall

sizes=("VexoInstall.exe, $VEXO_TRIPLET, Schannel=$build/app/VexoInstall.exe"
       "VexoInstall.exe, $VEXO_TRIPLET, OpenSSL=$build-openssl/app/VexoInstall.exe")
nsis_target=x86-unicode
[ "$VEXO_ARCH" = i686 ] || nsis_target=amd64-unicode
makensis -V1 -DTARGET="$nsis_target" -DOUTFILE="$build/nsis_stub_$nsis_target.exe" \
  "$VEXO_ROOT/tools/bench/nsis_stub.nsi" >/dev/null
stubs=("NSIS stub, $nsis_target=$build/nsis_stub_$nsis_target.exe")
if [ "$VEXO_ARCH" != i686 ]; then
  # The shipped installer and the 32-bit stub, measured for size only: they cannot run here.
  vexo_build_shipped_installer "$build-i686" -DVEXO_UBSAN_TRAP=OFF
  makensis -V1 -DTARGET=x86-unicode -DOUTFILE="$build/nsis_stub_x86-unicode.exe" \
    "$VEXO_ROOT/tools/bench/nsis_stub.nsi" >/dev/null
  sizes+=("VexoInstall.exe, i686 (shipped), Schannel=$build-i686/app/VexoInstall.exe")
  stubs+=("NSIS stub, x86-unicode=$build/nsis_stub_x86-unicode.exe")
fi

harness=(python3 "$VEXO_ROOT/tools/bench/bench_startup.py" --runs "$runs"
         --installer "$build/app/VexoInstall.exe"
         --standin-installer "$build/tools/platform/VexoStandInInstaller.exe"
         --nsis "$build/nsis_stub_$nsis_target.exe"
         --variant "OpenSSL=$build-openssl/app/VexoInstall.exe")
for item in "${sizes[@]}"; do harness+=(--size "$item"); done
for item in "${stubs[@]}"; do harness+=(--stub-size "$item"); done

vexo_on_display "${harness[@]}"

# What the executables are made of, by library, from the links' maps.
for map in "$build/app/VexoInstall.map" "$build-openssl/app/VexoInstall.map"; do
  echo; python3 "$VEXO_ROOT/tools/bench/size_breakdown.py" "$map" | sed "1s|of VexoInstall.map|of ${map#"$build"}|"
done

#!/usr/bin/env bash
# Builds the download benchmark in a release build (no sanitizer) and runs it: DownloadFile of an
# 8 MiB and a 64 MiB file from nginx on loopback under Wine, with wall time, CPU time and peak
# memory beside the bound the download pacing implies, and curl fetching the 64 MiB file.
#   scripts/bench-download.sh            (build folder: $VEXO_CACHE/build-bench-download)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="${VEXO_BENCH_BUILD_DIR:-$VEXO_CACHE/build-bench-download}"
cmake -S "$VEXO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=OFF \
  -DBUILD_TESTING=OFF > /dev/null
cmake --build "$build" -j2 --target bench_download
python3 "$VEXO_ROOT/tools/bench/bench_download.py" "$build/tools/bench/bench_download.exe" "$@"

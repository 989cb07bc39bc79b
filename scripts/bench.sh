#!/usr/bin/env bash
# Builds the benchmarks in an optimised build without the test build's checks and runs one:
#   scripts/bench.sh download [args]       DownloadFile of 8 and 64 MiB from nginx on loopback,
#                                          beside the pacing bound and curl
#   scripts/bench.sh markup [MB] [runs]    markup parse throughput beside pugixml (a generated
#                                          document, then the installer's skin)
#   scripts/bench.sh paint                 980x600 window paint cost beside a plain buffer copy
#   scripts/bench.sh list                  a 100 000-row list: build, page scroll and selection
#                                          repaint beside a plain buffer copy, memory per row
#   scripts/bench.sh window                a 980x600 window's idle CPU and repaint cost through
#                                          the window manager, beside a plain buffer copy
#   scripts/bench.sh gallery [seconds]     the gallery's CPU time idle (no animation in sight)
#                                          and on its animation page
#   scripts/bench.sh startup [runs]        the installer's start to its first painted frame
#                                          (cached artwork; services refusing; services silent),
#                                          memory and executable size, beside an NSIS stub;
#                                          the build on OpenSSL too; size by library
# Build folder: $VEXO_CACHE/build-bench (or $VEXO_BENCH_BUILD_DIR). Benchmarks print figures;
# none of them is part of the test suite. Those that open windows run on the user's display when
# there is one, else on a virtual one with a compositing manager (vexo_on_display, scripts/env.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

name="${1:-}"
case "$name" in
  download|list|markup|paint|window|gallery|startup) shift ;;
  *) echo "usage: scripts/bench.sh download|list|markup|paint|window|gallery|startup [args]" >&2; exit 2 ;;
esac
build="${VEXO_BENCH_BUILD_DIR:-$VEXO_CACHE/build-bench}"

# libcurl on the system's TLS, as shipped; named, since a bench folder configured before keeps
# its cached choice otherwise.
config=(-DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=OFF -DBUILD_TESTING=OFF -DVEXO_TLS=schannel)
if [ "$name" = markup ]; then
  # The reference parser comes from Debian's source package.
  config+=(-DVEXO_PUGIXML_DIR="$("$VEXO_ROOT/scripts/fetch-pugixml.sh")")
fi
bash "$VEXO_ROOT/scripts/build-deps.sh" "$VEXO_ARCH" schannel
cmake -S "$VEXO_ROOT" -B "$build" -G Ninja "${config[@]}" >/dev/null
if [ "$name" = startup ]; then
  exec bash "$VEXO_ROOT/tools/bench/bench_startup.sh" "$build" "$@"
fi
if [ "$name" = gallery ]; then
  # The gallery is a tool of its own; the harness drives it on a display.
  cmake --build "$build" -j"$(nproc)" --target gallery
  vexo_on_display python3 "$VEXO_ROOT/tools/bench/bench_gallery.py" \
    "$VEXO_ROOT/scripts/wine-run.sh" "$build/tools/gallery/gallery.exe" "$@"
  exit
fi
cmake --build "$build" -j"$(nproc)" --target "bench_$name"
program="$build/tools/bench/bench_$name.exe"

if [ "$name" = download ]; then
  exec python3 "$VEXO_ROOT/tools/bench/bench_download.py" "$program" "$@"
fi
# Every benchmark that runs a Windows program does it on the one kind of display the project
# starts (scripts/env.sh: the user's, else a virtual one with a compositing manager).
if [ "$name" = markup ]; then
  # The installer's own skin is measured too, after the generated document.
  set -- "${1:-8}" "${2:-7}" "$(winepath -w "$VEXO_ROOT/skin/VexoInsatllView.xml" 2>/dev/null)"
fi
vexo_on_display "$VEXO_ROOT/scripts/wine-run.sh" "$program" "$@"

#!/usr/bin/env bash
# The whole test suite from a fresh Debian 12 machine: installs what is missing, builds the
# dependencies when they are not cached, builds the project (libcurl on the system's own TLS,
# VEXO_TLS=schannel, as shipped) and runs every test under Wine, then the TLS tests once more on
# the build on OpenSSL (VEXO_TLS=openssl).
#   scripts/test.sh [extra ctest arguments]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="${VEXO_BUILD_DIR:-$VEXO_ROOT/build}"

bash "$VEXO_ROOT/scripts/setup.sh"
bash "$VEXO_ROOT/scripts/build-deps.sh" "$VEXO_ARCH" schannel
# The shipped programs run natively (shipped_i686_) and emulated (shipped_i686_emulated_), each
# where its road can be had; the others report themselves skipped, and are named here. (The
# set-up may have just registered the emulation machine-wide: the suite itself stays on the
# architecture found at the start.)
vexo_detect_i386
[ "$VEXO_I386" = native ] ||
  echo "test: 32-bit programs do not run natively here: the shipped_i686_ tests will be skipped" >&2
bash "$VEXO_ROOT/scripts/emulated-i686-run.sh" --check ||
  echo "test: WARNING: the shipped_i686_emulated_ tests will be skipped" >&2

# The shipped installer (i686, release, stripped) with the stand-in platform's i686 programs, for
# the check of its image and the shipped_i686_ tests that run it (natively or emulated).
vexo_build_shipped_subset "$build-i686-shipped"

cmake -S "$VEXO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=ON \
  -DVEXO_ARCH="$VEXO_ARCH" -DVEXO_TLS=schannel -DVEXO_SHIPPED_BUILD="$build-i686-shipped" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The build on OpenSSL (VEXO_TLS=openssl): its programs that make HTTPS requests through
# libcurl, for the same certificate checks as the default build.
bash "$VEXO_ROOT/scripts/build-deps.sh" "$VEXO_ARCH" openssl
cmake -S "$VEXO_ROOT" -B "$build-openssl" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXO_UBSAN_TRAP=ON \
  -DVEXO_ARCH="$VEXO_ARCH" -DVEXO_TLS=openssl >/dev/null
cmake --build "$build-openssl" -j"$(nproc)" --target app_logic_tests dependency_smoke

# Windows that tests open need a display: a virtual one, with a compositing manager and one
# wineserver for the whole run (scripts/env.sh). Given a selection of tests (extra arguments),
# only the selection runs.
vexo_on_virtual_display bash -c '
  ctest --test-dir "$1" --output-on-failure -j"$(nproc)" "${@:3}" || exit 1
  [ $# -gt 2 ] || ctest --test-dir "$2" --output-on-failure -R "^(app_logic|support_dependencies)\$"' \
  ctest-runs "$build" "$build-openssl" "$@"

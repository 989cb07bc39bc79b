#!/usr/bin/env bash
# Installs everything the build, the product and the tests need on a Debian 12 machine.
# Idempotent: each step checks first and does nothing when its work is already done.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

# The shipped installer is always built for i686; the programs that run here (tests, the
# demonstration) are built for VEXO_ARCH and run by the matching Wine loader (scripts/env.sh).
PACKAGES=(
  cmake ninja-build make perl python3 zip unzip ca-certificates openssl curl dpkg-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  libz-mingw-w64-dev rapidjson-dev libstb-dev googletest
  wine xvfb xauth xdotool imagemagick fonts-wqy-microhei xcompmgr
  nginx-light nsis
  osslsigncode python3-pefile
)
# 32-bit Wine runs the shipped installer natively where the kernel runs 32-bit code, and on every
# machine under user-mode emulation (scripts/setup-i386-emulation.sh; gcc builds its small preload
# library, freestanding, so no 32-bit development files are needed).
PACKAGES+=(wine32:i386 gcc)
if [ "$VEXO_ARCH" != i686 ]; then
  PACKAGES+=(wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
             binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
fi

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

install_packages() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "setup: installing: $(echo $missing)"
  apt-get update -q
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# Source entries are needed to build libcurl and OpenSSL from Debian's source packages.
add_source_entries() {
  local f=/etc/apt/sources.list.d/vexo-deb-src.sources
  [ -f "$f" ] && return 0
  local src
  for src in /etc/apt/sources.list.d/debian.sources; do
    [ -f "$src" ] || continue
    sed -e 's/^Types: deb$/Types: deb-src/' "$src" > "$f"
  done
  if [ ! -f "$f" ] && [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/vexo-deb-src.list
    touch "$f"
  fi
  apt-get update -q
}

# The suite's Wine prefix with the project's settings (made once).
wine_prefix() {
  bash "$VEXO_ROOT/scripts/wine-prefix.sh"
}

test_ca() {
  bash "$VEXO_ROOT/scripts/make-test-ca.sh"
}

# The emulation of 32-bit programs with its win32 prefix, on every machine that can have it:
# beside the native road where the machine runs them, instead of it where it refuses them.
# A machine that cannot have it (an old kernel where 32-bit code runs natively, no binfmt_misc to
# register with where it is refused) still runs everything else: the shipped_i686_emulated_ tests
# then report themselves skipped, saying why.
i386_emulation() {
  bash "$VEXO_ROOT/scripts/setup-i386-emulation.sh" ||
    echo "setup: WARNING: no emulation of 32-bit programs here; the shipped_i686_emulated_ tests will be skipped" >&2
}

install_packages
add_source_entries
wine_prefix
i386_emulation
test_ca
echo "setup: done"

#!/usr/bin/env bash
# Builds OpenSSL and libcurl as static 32-bit Windows libraries from Debian's source packages.
# The result goes to $VEXO_CACHE/deps/TRIPLET_openssl-V_curl-V_gccV (keyed by the target, the
# versions and the toolchain) and $VEXO_CACHE/deps/current-TRIPLET points at it; a complete
# earlier build is reused.
#   build-deps.sh [i686|x86_64]      (default: VEXO_ARCH of scripts/env.sh)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

arch="${1:-$VEXO_ARCH}"
triplet="$arch-w64-mingw32"
case "$arch" in
  i686) ossl_target=mingw; toolpkg=g++-mingw-w64-i686-posix ;;
  x86_64) ossl_target=mingw64; toolpkg=g++-mingw-w64-x86-64-posix ;;
  *) echo "build-deps: unknown architecture $arch" >&2; exit 2 ;;
esac
toolkey="gcc$(dpkg-query -W -f='${Version}' $toolpkg)"
deps="$VEXO_CACHE/deps"
mkdir -p "$deps"

for d in "$deps"/"$triplet"_openssl-*_curl-*_"$toolkey"; do
  if [ -f "$d/.complete" ]; then
    ln -sfn "$d" "$deps/current-$triplet"
    echo "build-deps: reusing $d"
    exit 0
  fi
done

jobs=$(nproc)
work="$deps/src-$triplet"
rm -rf "$work"; mkdir -p "$work"

# fetch PKG: downloads the newest source version whose upstream tarball can be had (a fresh
# security release can be listed before its files are reachable) and unpacks it; prints
# "VERSION DIR".
fetch() {
  local pkg=$1 v tarball dir
  for v in $(apt-cache showsrc "$pkg" | awk '/^Version:/ {print $2}' | sort -Vru); do
    (cd "$work" && apt-get source --download-only -q "$pkg=$v" >/dev/null 2>&1) || true
    tarball=$(ls "$work/${pkg}_${v%-*}".orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n1 || true)
    [ -n "$tarball" ] || continue
    dir="$work/$pkg-$v"; mkdir -p "$dir"
    tar -xf "$tarball" -C "$dir" --strip-components=1
    echo "$v $dir"; return 0
  done
  echo "build-deps: no source of $pkg could be downloaded" >&2; return 1
}

read -r ossl_v ossl_dir < <(fetch openssl)
read -r curl_v curl_dir < <(fetch curl)
prefix="$deps/${triplet}_openssl-${ossl_v}_curl-${curl_v}_$toolkey"
echo "build-deps: building OpenSSL $ossl_v and curl $curl_v into $prefix"

[ -f "$prefix/.openssl-complete" ] || (rm -rf "$prefix" && cd "$ossl_dir" &&
  ./Configure $ossl_target no-shared no-tests no-module --prefix="$prefix" --libdir=lib \
    --cross-compile-prefix=$triplet- CC=gcc-posix CXX=g++-posix >"$work/openssl-configure.log" 2>&1 &&
  make -j"$jobs" build_libs >"$work/openssl-build.log" 2>&1 &&
  make install_dev >"$work/openssl-install.log" 2>&1 && touch "$prefix/.openssl-complete") ||
  { echo "build-deps: OpenSSL failed, see $work/openssl-*.log" >&2; exit 1; }

cmake -S "$curl_dir" -B "$work/curl-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$VEXO_ROOT/cmake/toolchain-mingw32.cmake" -DVEXO_ARCH="$arch" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
  -DCURL_USE_OPENSSL=ON -DOPENSSL_ROOT_DIR="$prefix" -DOPENSSL_INCLUDE_DIR="$prefix/include" \
  -DOPENSSL_SSL_LIBRARY="$prefix/lib/libssl.a" -DOPENSSL_CRYPTO_LIBRARY="$prefix/lib/libcrypto.a" \
  -DSSL_EAY="$prefix/lib/libssl.a" -DLIB_EAY="$prefix/lib/libcrypto.a" \
  -DCURL_ZLIB=ON -DCURL_DISABLE_LDAP=ON -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF \
  -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
  >"$work/curl-configure.log" 2>&1 &&
cmake --build "$work/curl-build" -j"$jobs" >"$work/curl-build.log" 2>&1 &&
cmake --install "$work/curl-build" >"$work/curl-install.log" 2>&1 ||
  { echo "build-deps: curl failed, see $work/curl-*.log" >&2; exit 1; }

touch "$prefix/.complete"
ln -sfn "$prefix" "$deps/current-$triplet"
rm -rf "$work"
echo "build-deps: done: $prefix"

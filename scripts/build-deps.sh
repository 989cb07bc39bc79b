#!/usr/bin/env bash
# Builds the static libraries of the installer's one HTTPS request from Debian's source packages,
# configured down to what that request uses and built for size:
#   - schannel (the default, as shipped): libcurl on the system's own TLS (Schannel and the
#     Windows certificate store), no OpenSSL at all (see CURL_OPTIONS);
#   - openssl: libcurl on OpenSSL, both trimmed (see OPENSSL_OPTIONS, CURL_OPTIONS).
# The result goes to $VEXO_CACHE/deps/TRIPLET_TLS_VERSIONS_gccV_cfgHASH (keyed by the target, the
# TLS choice, the versions, the toolchain and the options below) and
# $VEXO_CACHE/deps/current-TRIPLET-TLS points at it; a complete earlier build is reused.
#   build-deps.sh [i686|x86_64] [schannel|openssl]   (defaults: VEXO_ARCH of scripts/env.sh and
#                                                    VEXO_TLS, else schannel)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

arch="${1:-$VEXO_ARCH}"
tls="${2:-${VEXO_TLS:-schannel}}"
triplet="$arch-w64-mingw32"
case "$arch" in
  i686) ossl_target=mingw; toolpkg=g++-mingw-w64-i686-posix ;;
  x86_64) ossl_target=mingw64; toolpkg=g++-mingw-w64-x86-64-posix ;;
  *) echo "build-deps: unknown architecture $arch" >&2; exit 2 ;;
esac
case "$tls" in schannel|openssl) ;; *) echo "build-deps: unknown TLS $tls" >&2; exit 2 ;; esac

# Size first: every function and datum in a section of its own, so that the program's link keeps
# only what it reaches.
SIZE_FLAGS="-Os -ffunction-sections -fdata-sections"

# OpenSSL as a TLS 1.2/1.3 client for today's web PKI: ECDHE (X25519, X448, P-256/384/521) with
# RSA, ECDSA or EdDSA certificates, AES-GCM, AES-CBC/SHA-2 and ChaCha20-Poly1305. Left out, and why
# that is safe for one HTTPS POST that trusts the system's store:
#   - loading code or configuration at run time (engines, provider modules, DSO, the legacy
#     provider, openssl.cnf, console prompts, applink): nothing is loaded, so nothing can be
#     planted beside the executable;
#   - deprecated APIs: libcurl does not need them;
#   - SSL 3, TLS 1.0/1.1, DTLS, SCTP, SRTP, NPN, SRP, PSK, TLS compression: no web server needs
#     them, and the old versions and compression are attack surface;
#   - ciphers, hashes and groups no web certificate or server uses (ARIA, Blowfish, BLAKE2,
#     Camellia, CAST, DES, IDEA, MD4, MDC2, OCB, RC2/4/5, RIPEMD, SEED, SipHash, SIV, SM2/3/4,
#     Whirlpool, GOST, binary curves, DSA, finite-field DH, scrypt): a server offers at least one
#     of the kept suites, or it is refused as a modern browser would refuse it;
#   - CMS, CMP, certificate transparency, OCSP, time stamping, RFC 3779, the TLS trace: certificate
#     formats and protocols around TLS that the request never uses (libcurl builds without OCSP
#     stapling; revocation stays the system's business);
#   - file names in error records: only size.
# The assembler implementations stay: they are the constant-time AES and the fast P-256.
OPENSSL_OPTIONS=(
  no-shared no-tests no-module no-dso no-engine no-legacy no-deprecated no-autoload-config
  no-ui-console no-uplink no-async no-filenames
  no-ssl3 no-ssl3-method no-tls1 no-tls1-method no-tls1_1 no-tls1_1-method
  no-dtls no-dtls1 no-dtls1_2 no-dgram no-sctp no-srtp no-nextprotoneg no-srp no-psk no-comp
  no-aria no-bf no-blake2 no-camellia no-cast no-des no-dh no-dsa no-ec2m no-gost no-idea no-md4
  no-mdc2 no-ocb no-rc2 no-rc4 no-rc5 no-rmd160 no-scrypt no-seed no-siphash no-siv no-sm2
  no-sm3 no-sm4 no-whirlpool
  no-cms no-cmp no-ct no-ocsp no-ts no-rfc3779 no-ssl-trace
)

# libcurl for one HTTP(S) POST through an optional proxy: HTTP and HTTPS only (every other
# protocol is refused anyway by the request's protocol list); no cookies, HTTP authentication
# (the services take none; the proxy's is not supported), alt-svc, HSTS (the addresses are https
# already), DNS over HTTPS, MIME, .netrc, Unix sockets or name conversion; no content decoding
# (the request never asks for it).
CURL_OPTIONS=(
  -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF
  -DHTTP_ONLY=ON -DCURL_DISABLE_COOKIES=ON -DCURL_DISABLE_HTTP_AUTH=ON -DCURL_DISABLE_CRYPTO_AUTH=ON
  -DCURL_DISABLE_NTLM=ON -DCURL_DISABLE_ALTSVC=ON -DCURL_DISABLE_HSTS=ON -DCURL_DISABLE_DOH=ON
  -DCURL_DISABLE_MIME=ON -DCURL_DISABLE_NETRC=ON -DCURL_DISABLE_GETOPTIONS=ON
  -DCURL_DISABLE_PARSEDATE=ON -DCURL_DISABLE_PROGRESS_METER=ON -DCURL_DISABLE_LDAP=ON
  -DENABLE_UNIX_SOCKETS=OFF -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF
  -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF
  -DUSE_NGHTTP2=OFF -DENABLE_WEBSOCKETS=OFF
)

toolkey="gcc$(dpkg-query -W -f='${Version}' $toolpkg)"
cfgkey=$(printf '%s\n' "$SIZE_FLAGS" "${OPENSSL_OPTIONS[@]}" "${CURL_OPTIONS[@]}" | sha256sum | cut -c1-10)
deps="$VEXO_CACHE/deps"
mkdir -p "$deps"
current="$deps/current-$triplet-$tls"

for d in "$deps"/"${triplet}_${tls}"_*_"${toolkey}_cfg$cfgkey"; do
  if [ -f "$d/.complete" ]; then
    ln -sfn "$d" "$current"
    echo "build-deps: reusing $d"
    exit 0
  fi
done

jobs=$(nproc)
work="$deps/src-$triplet-$tls"
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

read -r curl_v curl_dir < <(fetch curl)
tls_curl=()
if [ "$tls" = openssl ]; then
  read -r ossl_v ossl_dir < <(fetch openssl)
  prefix="$deps/${triplet}_openssl_openssl-${ossl_v}_curl-${curl_v}_${toolkey}_cfg$cfgkey"
  echo "build-deps: building OpenSSL $ossl_v and curl $curl_v into $prefix"
  [ -f "$prefix/.openssl-complete" ] || (rm -rf "$prefix" && cd "$ossl_dir" &&
    # shellcheck disable=SC2086
    ./Configure $ossl_target "${OPENSSL_OPTIONS[@]}" $SIZE_FLAGS --prefix="$prefix" --libdir=lib \
      --cross-compile-prefix=$triplet- CC=gcc-posix CXX=g++-posix >"$work/openssl-configure.log" 2>&1 &&
    make -j"$jobs" build_libs >"$work/openssl-build.log" 2>&1 &&
    make install_dev >"$work/openssl-install.log" 2>&1 && touch "$prefix/.openssl-complete") ||
    { echo "build-deps: OpenSSL failed, see $work/openssl-*.log" >&2; exit 1; }
  tls_curl=(-DCURL_USE_OPENSSL=ON -DCURL_USE_SCHANNEL=OFF -DOPENSSL_ROOT_DIR="$prefix"
    -DOPENSSL_INCLUDE_DIR="$prefix/include" -DOPENSSL_SSL_LIBRARY="$prefix/lib/libssl.a"
    -DOPENSSL_CRYPTO_LIBRARY="$prefix/lib/libcrypto.a"
    -DSSL_EAY="$prefix/lib/libssl.a" -DLIB_EAY="$prefix/lib/libcrypto.a")
else
  prefix="$deps/${triplet}_schannel_curl-${curl_v}_${toolkey}_cfg$cfgkey"
  echo "build-deps: building curl $curl_v on Schannel into $prefix"
  rm -rf "$prefix"
  tls_curl=(-DCURL_USE_OPENSSL=OFF -DCURL_USE_SCHANNEL=ON)
fi

cmake -S "$curl_dir" -B "$work/curl-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$VEXO_ROOT/cmake/toolchain-mingw32.cmake" -DVEXO_ARCH="$arch" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_C_FLAGS="$SIZE_FLAGS" -DCMAKE_INSTALL_PREFIX="$prefix" \
  "${CURL_OPTIONS[@]}" "${tls_curl[@]}" >"$work/curl-configure.log" 2>&1 &&
cmake --build "$work/curl-build" -j"$jobs" >"$work/curl-build.log" 2>&1 &&
cmake --install "$work/curl-build" >"$work/curl-install.log" 2>&1 ||
  { echo "build-deps: curl failed, see $work/curl-*.log" >&2; exit 1; }

touch "$prefix/.complete"
ln -sfn "$prefix" "$current"
rm -rf "$work"
echo "build-deps: done: $prefix"

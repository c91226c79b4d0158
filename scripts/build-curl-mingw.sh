#!/usr/bin/env bash
# Builds a static libcurl for a MinGW-w64 target from Debian's own curl source package, out of the
# source tree that
# scripts/fetch-deps.sh unpacked. The result is cached: a second run with the same prefix returns
# at once.
#
#   scripts/build-curl-mingw.sh <host triplet> <folder holding curl-*/> <install prefix>
set -euo pipefail

host=$1
sources=$2
prefix=$3
# Schannel (TLS) and SSPI (logging in to proxies as the Windows user, with NTLM or Negotiate),
# and nothing but HTTP and HTTPS.
options=(--enable-static --disable-shared --with-schannel --enable-sspi --disable-pthreads
  --without-ca-bundle --without-ca-path
  --disable-ftp --disable-file --disable-ldap --disable-ldaps --disable-rtsp --disable-dict
  --disable-telnet --disable-tftp --disable-pop3 --disable-imap --disable-smb --disable-smtp
  --disable-gopher --disable-mqtt --disable-manual --disable-docs
  --disable-alt-svc --disable-hsts --disable-doh --disable-netrc --disable-dependency-tracking
  --without-zlib --without-brotli --without-zstd --without-libidn2 --without-librtmp
  --without-libpsl --without-libssh2 --without-libssh --without-nghttp2 --without-ngtcp2
  --without-nghttp3 --without-quiche --without-gssapi --without-openssl --without-gnutls
  --without-wolfssl --without-mbedtls --without-bearssl --without-rustls)
# The stamp holds the options it was built with: a build made with other options is redone.
stamp="$prefix/.llmbridge-curl-built"
[ -f "$stamp" ] && [ "$(cat "$stamp")" = "${options[*]}" ] && exit 0

src=$(ls -d "$sources"/curl-*/ 2>/dev/null | head -n 1)
[ -n "$src" ] || { echo "build-curl-mingw: no curl source in $sources; run scripts/install-deps.sh" >&2; exit 1; }

build="$prefix-build"
rm -rf "$build"
mkdir -p "$build"
cd "$build"
"$src/configure" --host="$host" --prefix="$prefix" "${options[@]}" \
  >configure.log 2>&1 || { tail -n 30 configure.log >&2; exit 1; }
make -j"$(nproc)" -C lib >make.log 2>&1 || { tail -n 30 make.log >&2; exit 1; }
make -C lib install >>make.log 2>&1
make -C include install >>make.log 2>&1
printf '%s' "${options[*]}" >"$stamp"

#!/usr/bin/env bash
# Installs every Debian package the build and the tests need, on Debian 12 (bookworm).
# Safe to run again: it only calls apt when something is missing.
set -euo pipefail

packages=(
  # Linux build and tests
  cmake ninja-build g++ make pkg-config googletest libgtest-dev libcurl4-openssl-dev
  clang libclang-rt-14-dev openssl python3 locales
  # Windows cross build and Wine
  g++-mingw-w64-i686 wine wine32:i386 xvfb xauth dpkg-dev
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "install-deps: installing ${missing[*]}"

# Wine's 32-bit half comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

# libcurl for MinGW is built from Debian's own source package, which needs a deb-src entry.
src_list=/etc/apt/sources.list.d/llmbridge-src.sources
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  "${sudo_cmd[@]}" tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Installs every Debian package the build and the tests need, on Debian 12 (bookworm).
# Safe to run again: it only calls apt when something is missing.
set -euo pipefail

packages=(
  # Linux build and tests
  cmake ninja-build g++ make pkg-config googletest libgtest-dev libcurl4-openssl-dev
  clang libclang-rt-14-dev openssl python3 locales
  # the local mock server
  libcpp-httplib-dev nlohmann-json3-dev
  # Windows cross builds (32- and 64-bit), Wine for both, and qemu for machines whose kernel
  # runs no 32-bit code (32-bit Wine then runs under qemu-user)
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 qemu-user-static
  xvfb xauth dpkg-dev
  # Screenshots of the progress window (scripts/screenshot-notice.sh) and its X11 test
  x11-apps imagemagick libx11-dev
  # The C# host example, and the release packages
  mono-mcs mono-runtime zip unzip
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

have_deb_src() {
  grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/
}

# libcurl for MinGW is built from Debian's own source package, which needs a deb-src entry.
add_deb_src() {
  "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/llmbridge-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
}

# A locale with a decimal comma, for the test that numbers are read alike whatever the host's
# locale is.
generate_test_locale() {
  locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$' && return 0
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 ||
    echo "install-deps: no de_DE locale; the locale test will be skipped"
}

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
# The Node.js example: Debian's node and npm, unless the machine already has a Node.js of its own
# (whose package would conflict with Debian's npm).
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -gt 0 ] || ! have_deb_src; then
  echo "install-deps: installing ${missing[*]:-the source package lists}"
  # Wine's 32-bit half comes from the i386 architecture.
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
  have_deb_src || add_deb_src
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
generate_test_locale

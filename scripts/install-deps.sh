#!/usr/bin/env bash
# Installs every Debian package the build and the tests need, on Debian 12 (bookworm), then
# fetches the sources and npm packages the build and the tests use (scripts/fetch-deps.sh), so
# that building and testing afterwards need no network.
# Safe to run again: it only calls apt when something is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  # Linux build and tests
  cmake ninja-build g++ make pkg-config googletest libgtest-dev libcurl4-openssl-dev
  clang libclang-rt-14-dev openssl ca-certificates python3 locales
  # the local mock server, and the JSON benchmark's contenders
  libcpp-httplib-dev nlohmann-json3-dev rapidjson-dev libsimdjson-dev
  # Windows cross builds (32- and 64-bit) and Wine for both
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64
  xvfb xauth dpkg-dev
  # Screenshots of the progress window (scripts/screenshot-notice.sh) and its X11 test
  x11-apps imagemagick libx11-dev
  # The C# host example, and the release packages
  mono-mcs mono-runtime zip unzip
)
# Where the kernel runs no 32-bit code, 32-bit Wine runs under qemu-user. Bookworm's own qemu
# (7.2) loses Wine's exception dispatch and starts each program in about a minute; the backports
# qemu (10.x) runs the whole 32-bit suite at native-like start times.
backports_packages=(qemu-user-static)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The archive this machine already uses for bookworm, read from its own apt sources (deb822 or
# one-line form), so that the entries added below point at the same mirror.
debian_archive() {
  local uri
  uri=$(awk '/^URIs:/ { uris = $2 } /^Suites:/ && / bookworm( |$)/ { print uris; exit }' \
    /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' \
    /etc/apt/sources.list 2>/dev/null || true)
  [ -n "$uri" ] || { echo "install-deps: no bookworm entry in this machine's apt sources" >&2; exit 1; }
  echo "$uri"
}

sources_file=/etc/apt/sources.list.d/llmbridge.sources
# libcurl for MinGW is built from Debian's own source package (deb-src), and qemu comes from
# bookworm-backports.
have_sources() { [ -f "$sources_file" ] && grep -q bookworm-backports "$sources_file"; }
add_sources() {
  local archive
  archive=$(debian_archive)
  "${sudo_cmd[@]}" tee "$sources_file" >/dev/null <<SRC
Types: deb-src
URIs: $archive
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: $archive
Suites: bookworm-backports
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

is_installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" = "install ok installed" ]; }
from_backports() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null | grep -q 'bpo'; }

missing=()
for p in "${packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done
missing_backports=()
for p in "${backports_packages[@]}"; do
  from_backports "$p" || missing_backports+=("$p")
done
# The Node.js example: Debian's node and npm, unless the machine already has a Node.js of its own
# (whose package would conflict with Debian's npm).
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -gt 0 ] || [ ${#missing_backports[@]} -gt 0 ] || ! have_sources; then
  echo "install-deps: installing ${missing[*]} ${missing_backports[*]}"
  # Wine's 32-bit half comes from the i386 architecture.
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
  have_sources || add_sources
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if [ ${#missing_backports[@]} -gt 0 ]; then
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends -t bookworm-backports \
      "${missing_backports[@]}" >/dev/null
  fi
fi
generate_test_locale
"$root/scripts/fetch-deps.sh"

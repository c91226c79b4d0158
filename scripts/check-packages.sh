#!/usr/bin/env bash
# Checks the packages scripts/package.sh made in dist/, as someone unpacking them meets them: the
# checksums, the exact contents, each DLL's architecture and tables, the C example built from each
# Windows package and run under Wine, and the Linux tree used through find_package, pkg-config,
# its own tools and the Python example. Needs the build trees and the Wine prefix of scripts/build.sh
# and scripts/setup-wine.sh.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LLMBRIDGE_BUILD_DIR:-$root/build}
dist=${LLMBRIDGE_DIST_DIR:-$root/dist}
version=$(cat "$build/linux/llmbridge-version.txt") || exit 1  # written by CMake from project()
exports=$(grep -o '"[A-Za-z]*:[0-9]*"' "$root/CMakeLists.txt" | tr -d '"' | paste -sd,)
linux_name="llmbridge-$version-linux-$(uname -m)"
# CMake names the package's per-configuration file after the Linux tree's build type.
linux_config=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/linux/CMakeCache.txt" | tr '[:upper:]' '[:lower:]')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
# run <what> <command...>: runs a check, its output indented, and counts a failure.
run() {
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then echo "ok: $what"; else fail "$what"; sed 's/^/    /' "$work/out"; fi
}

# The host guide and examples, under the folder given.
guide_and_examples() {
  printf "$1/%s\n" hosts.md examples/c/chat.c examples/csharp/Chat.cs examples/node/chat.js \
    examples/node/package.json examples/python/chat.py
}

# same_contents <package> <files found> <files expected>
same_contents() {
  if diff <(sort <<<"$3") <(sort <<<"$2") >"$work/diff"; then
    echo "ok: $1 holds exactly its $(wc -l <<<"$2") files"
  else
    fail "$1 contents (- missing, + unexpected):"
    grep '^[<>]' "$work/diff" | sed 's/^</    -/; s/^>/    +/'
  fi
}

cd "$dist" || exit 1
for package in "llmbridge-$version-win32.zip" "llmbridge-$version-win64.zip" "$linux_name.tar.gz"; do
  run "$package checksum" sha256sum -c "$package.sha256"
done

for arch in win32 win64; do
  name="llmbridge-$version-$arch"
  machine=i686 format=pei-i386
  [ $arch = win64 ] && machine=x86_64 format=pei-x86-64
  same_contents "$name.zip" "$(unzip -Z1 "$name.zip" | grep -v '/$')" \
    "$(printf "$name/%s\n" llmbridge.dll llmbridge.h; guide_and_examples "$name")"
  unzip -q "$name.zip" -d "$work"
  dll="$work/$name/llmbridge.dll"
  found=$("$machine-w64-mingw32-objdump" -f "$dll" | sed -n 's/.*file format //p')
  [ "$found" = $format ] && echo "ok: $name holds a $format DLL" || fail "$name holds a $found DLL"
  run "$name DLL tables" "$root/tests/api/check_library_tables.sh" windows "$machine-w64-mingw32-objdump" "$dll" "$exports"
done

tar -C "$work" -xzf "$linux_name.tar.gz"
tree="$work/$linux_name"
same_contents "$linux_name.tar.gz" "$(tar -tzf "$linux_name.tar.gz" | grep -v '/$')" "$(
  printf "$linux_name/%s\n" bin/llmbridge-chat bin/llmbridge-json bin/llmbridge-mockserver \
    include/llmbridge.h lib/libllmbridge.so lib/pkgconfig/llmbridge.pc \
    lib/cmake/llmbridge/llmbridgeConfig.cmake lib/cmake/llmbridge/llmbridgeConfigVersion.cmake \
    lib/cmake/llmbridge/llmbridgeTargets.cmake "lib/cmake/llmbridge/llmbridgeTargets-$linux_config.cmake"
  guide_and_examples "$linux_name/share/doc/llmbridge")"
if readelf -d "$tree"/lib/*.so "$tree"/bin/* | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
  fail "$linux_name points into the build tree"
fi
run "$linux_name used by find_package and pkg-config consumers and by its own llmbridge-chat" \
  "$root/tests/install/installed_tree_test.sh" "$root/tests/install/consumer" "$tree"
run "$linux_name Python example against its own mock server" \
  "$root/tests/e2e/host_example_test.sh" "$tree/bin/llmbridge-mockserver" \
  python3 "$tree/share/doc/llmbridge/examples/python/chat.py" --library "$tree/lib/libllmbridge.so"

# The C example as a Windows user builds it from each package, under Wine of the same width.
for width in win32 win64; do
  package="$work/llmbridge-$version-$width"
  compiler=i686-w64-mingw32-gcc loader=/usr/lib/wine/wine
  [ $width = win64 ] && compiler=x86_64-w64-mingw32-gcc loader=/usr/lib/wine/wine64
  if $compiler -I"$package" "$package/examples/c/chat.c" -o "$package/chat.exe" >"$work/out" 2>&1; then
    run "llmbridge-$version-$width C example under Wine" \
      "$root/tests/e2e/host_example_test.sh" "$tree/bin/llmbridge-mockserver" \
      "$root/scripts/wine-run.sh" "$build/wine-prefix" $loader "$package/chat.exe"
  else
    fail "the $width package's C example does not build"
    sed 's/^/    /' "$work/out"
  fi
done

[ $failures -eq 0 ] && echo "packages: all checks passed" || { echo "packages: $failures checks failed"; exit 1; }

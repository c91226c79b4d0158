#!/usr/bin/env bash
# Makes the release packages in dist/ from the trees scripts/build.sh built:
#   llmbridge-<version>-win32.zip         32-bit DLL (the product), header, host guide, examples
#   llmbridge-<version>-win64.zip         the same for 64-bit hosts
#   llmbridge-<version>-linux-<arch>.tar.gz  the installed Linux tree: library, header, tools,
#                                         pkg-config file, CMake package, host guide, examples
# and beside each a <package>.sha256 that `sha256sum -c` checks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LLMBRIDGE_BUILD_DIR:-$root/build}
dist=${LLMBRIDGE_DIST_DIR:-$root/dist}
version=$(cat "$build/linux/llmbridge-version.txt")  # written by CMake from project()

# Packages carry optimised code only.
for tree in linux win32 win64; do
  type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/$tree/CMakeCache.txt")
  case $type in
    Release | RelWithDebInfo) ;;
    *) echo "package: $build/$tree is a \"$type\" build; packages need Release or RelWithDebInfo" >&2; exit 1 ;;
  esac
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$dist"

# The documents and examples every package carries, into folder $1.
add_guide_and_examples() {
  mkdir -p "$1/examples"
  cp "$root/docs/hosts.md" "$1/"
  cp -r "$root/examples/c" "$root/examples/csharp" "$root/examples/python" "$1/examples/"
  mkdir -p "$1/examples/node"
  cp "$root/examples/node/chat.js" "$root/examples/node/package.json" "$1/examples/node/"
}

checksum() {
  (cd "$dist" && sha256sum "$1" >"$1.sha256")
  echo "package: dist/$1 ($(stat -c %s "$dist/$1") bytes)"
}

for arch in win32 win64; do
  name="llmbridge-$version-$arch"
  folder="$stage/$name"
  mkdir -p "$folder"
  cp "$build/$arch/bin/llmbridge.dll" "$root/include/llmbridge.h" "$folder/"
  # Debug information stays in the build tree; hosts need only the code and the tables.
  machine=i686
  [ $arch = win64 ] && machine=x86_64
  "$machine-w64-mingw32-strip" --strip-all "$folder/llmbridge.dll"
  add_guide_and_examples "$folder"
  rm -f "$dist/$name.zip"
  (cd "$stage" && zip -q -r -X "$dist/$name.zip" "$name")
  checksum "$name.zip"
done

name="llmbridge-$version-linux-$(uname -m)"
cmake --install "$build/linux" --prefix "$stage/$name" --strip >/dev/null
add_guide_and_examples "$stage/$name/share/doc/llmbridge"
tar -C "$stage" --owner=0 --group=0 -czf "$dist/$name.tar.gz" "$name"
checksum "$name.tar.gz"

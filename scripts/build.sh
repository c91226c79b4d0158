#!/usr/bin/env bash
# Builds everything into build/ (or $LLMBRIDGE_BUILD_DIR):
#   build/linux       libllmbridge.so and the tests
#   build/linux-asan  the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   build/win32       llmbridge.dll for 32-bit Windows (the product) and its tests
#   build/win64       the same sources for 64-bit Windows, whose tests Wine runs natively
#   build/fuzz        the JSON fuzzer (clang, libFuzzer)
# libcurl for MinGW is built once into build/deps and reused.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LLMBRIDGE_BUILD_DIR:-$root/build}
mkdir -p "$build"

# Both libcurl builds are mostly serial configure scripts: running them side by side uses both cores.
"$root/scripts/build-curl-mingw.sh" i686-w64-mingw32 "$build/deps/curl-src-i686" "$build/deps/curl-i686" &
curl32=$!
"$root/scripts/build-curl-mingw.sh" x86_64-w64-mingw32 "$build/deps/curl-src-x86_64" "$build/deps/curl-x86_64" &
curl64=$!
wait $curl32
wait $curl64
echo "build: libcurl for MinGW ready after $SECONDS s"

# koffi for the Node.js example, from the npm registry at the version the example names. Its
# package carries prebuilt binaries for every platform, so nothing is compiled.
node_modules="$build/deps/node/node_modules"
if ! cmp -s "$root/examples/node/package.json" "$build/deps/node/package.json" ||
   [ ! -d "$node_modules/koffi" ]; then
  mkdir -p "$build/deps/node"
  cp "$root/examples/node/package.json" "$build/deps/node/"
  (cd "$build/deps/node" && npm install --no-audit --no-fund --no-package-lock --silent)
fi

# Configuring an existing tree again is quick and picks up options added since it was made.
configure() {
  local dir=$1
  shift
  cmake -S "$root" -B "$build/$dir" -G Ninja "$@" >/dev/null
}
configure linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLLMBRIDGE_HOST_EXAMPLES=ON \
  -DLLMBRIDGE_NODE_MODULES="$node_modules"
configure linux-asan -DCMAKE_BUILD_TYPE=Debug -DLLMBRIDGE_SANITIZE=ON
for arch in i686 x86_64; do
  dir=win32
  [ $arch = x86_64 ] && dir=win64
  configure $dir -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
    -DLLMBRIDGE_CURL_PREFIX="$build/deps/curl-$arch" -DLLMBRIDGE_WINE_PREFIX="$build/wine-prefix" \
    -DLLMBRIDGE_MOCKSERVER="$build/linux/bin/llmbridge-mockserver"
done

# The JSON fuzzer: clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
[ -f "$build/fuzz/build.ninja" ] || CXX=clang++ cmake -S "$root" -B "$build/fuzz" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLLMBRIDGE_FUZZ=ON -DLLMBRIDGE_BUILD_TESTS=OFF >/dev/null

# Each build's time is printed, so a run's log tells what each tree costs.
timed_build() {
  local dir=$1 start=$SECONDS
  shift
  cmake --build "$build/$dir" -j "$(nproc)" "$@"
  echo "build: $dir took $((SECONDS - start)) s"
}
timed_build fuzz --target json_fuzzer
for dir in linux linux-asan win32 win64; do
  timed_build $dir
done

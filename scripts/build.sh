#!/usr/bin/env bash
# Builds everything into build/ (or $LLMBRIDGE_BUILD_DIR):
#   build/linux       libllmbridge.so and the tests
#   build/linux-asan  the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   build/linux-tsan  the exports' and the live exchanges' tests (calls from several threads) with
#                     ThreadSanitizer
#   build/win32       llmbridge.dll for 32-bit Windows (the product) and its tests
#   build/win64       the same sources for 64-bit Windows, whose tests Wine runs natively
#   build/fuzz        the JSON fuzzer (clang, libFuzzer)
# libcurl for MinGW is built once into build/deps and reused. Everything fetched comes from
# scripts/install-deps.sh beforehand; this script needs no network.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LLMBRIDGE_BUILD_DIR:-$root/build}
deps="$build/deps"
mkdir -p "$build"

# Both libcurl builds are mostly serial configure scripts: running them side by side uses both
# cores. Both are waited for, and each failure is reported.
"$root/scripts/build-curl-mingw.sh" i686-w64-mingw32 "$deps/curl-src" "$deps/curl-i686" &
curl32=$!
"$root/scripts/build-curl-mingw.sh" x86_64-w64-mingw32 "$deps/curl-src" "$deps/curl-x86_64" &
curl64=$!
curl_failed=()
wait $curl32 || curl_failed+=(i686)
wait $curl64 || curl_failed+=(x86_64)
if [ ${#curl_failed[@]} -gt 0 ]; then
  echo "build: the MinGW libcurl build failed for ${curl_failed[*]}" >&2
  exit 1
fi
echo "build: libcurl for MinGW ready after $SECONDS s"

# The npm folders and the Windows node.exe hosts, as scripts/fetch-deps.sh left them.
npm_folders=(-DLLMBRIDGE_NODE_MODULES="$deps/node/node_modules" -DLLMBRIDGE_NPM_PEERS="$deps/npm-peers/node_modules")

# Configuring an existing tree again is quick and picks up options added since it was made.
configure() {
  local dir=$1
  shift
  cmake -S "$root" -B "$build/$dir" -G Ninja "$@" >/dev/null
}
configure linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLLMBRIDGE_HOST_EXAMPLES=ON "${npm_folders[@]}"
configure linux-asan -DCMAKE_BUILD_TYPE=Debug -DLLMBRIDGE_SANITIZE=ON
configure linux-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLLMBRIDGE_TSAN=ON
for arch in i686 x86_64; do
  dir=win32 node=x86
  [ $arch = x86_64 ] && dir=win64 node=x64
  configure $dir -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
    -DLLMBRIDGE_CURL_PREFIX="$deps/curl-$arch" -DLLMBRIDGE_WINE_PREFIX="$build/wine-prefix" \
    -DLLMBRIDGE_MOCKSERVER="$build/linux/bin/llmbridge-mockserver" \
    -DLLMBRIDGE_WINDOWS_NODE="$deps/node-win-$node/node.exe" "${npm_folders[@]}"
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
timed_build linux-tsan --target api_tests flows_tests
for dir in linux linux-asan win32 win64; do
  timed_build $dir
done

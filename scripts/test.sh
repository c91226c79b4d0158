#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: Linux, Linux with
# AddressSanitizer and UndefinedBehaviorSanitizer, both Windows builds under Wine, the release
# packages, a short fuzzing run and the JSON benchmark's table.
#
#   scripts/test.sh [--no-build] [STAGE...]
#
# STAGE is any of: linux linux-asan linux-tsan win64 win32 packages fuzz bench (default: all).
# --no-build skips installing and building, to rerun tests on trees built before; it needs no
# network.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LLMBRIDGE_BUILD_DIR:-$root/build}

all_stages=(linux linux-asan linux-tsan win64 win32 packages fuzz bench)
build_first=1
stages=()
for argument in "$@"; do
  case $argument in
    --no-build) build_first=0 ;;
    linux | linux-asan | linux-tsan | win64 | win32 | packages | fuzz | bench) stages+=("$argument") ;;
    *) echo "usage: scripts/test.sh [--no-build] [${all_stages[*]}]" >&2; exit 2 ;;
  esac
done
[ ${#stages[@]} -gt 0 ] || stages=("${all_stages[@]}")
selected() { [[ " ${stages[*]} " == *" $1 "* ]]; }

stage_start=$SECONDS
declare -a timings=()
stage_done() {
  timings+=("$(printf '%-24s %4ds' "$1" $((SECONDS - stage_start)))")
  stage_start=$SECONDS
}

# Whatever is started below is stopped however the run ends.
xvfb=
cleanup() {
  [ -z "${WINEPREFIX:-}" ] || /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

if [ $build_first = 1 ]; then
  "$root/scripts/install-deps.sh"
  stage_done "install packages"
  "$root/scripts/build.sh"
  stage_done "build (libcurl + 6 trees)"
fi
if selected win64 || selected win32 || selected packages; then
  "$root/scripts/setup-wine.sh" "$build/wine-prefix"
  stage_done "wine prefix"
fi

# One virtual X server for the whole run, so the progress-window tests create real windows. It
# must outlive every tree's tests: Wine's desktop process, started by the first Windows program,
# keeps the display it was started with.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
# -noreset: by default the server resets when its last client leaves and drops connections made
# meanwhile, so a test opening a window just after another closed one would find no display.
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.05
done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "test: Xvfb did not start on :$display" >&2; exit 1; }
export DISPLAY=":$display"

# One warm wineserver serves every Windows test.
export WINEPREFIX="$build/wine-prefix"
/usr/lib/wine/wineserver -p

failed=()
for dir in linux linux-asan win64 win32; do
  selected $dir || continue
  echo "=== tests: $dir"
  if ! (cd "$build/$dir" && ctest --output-on-failure -j "$(nproc)"); then
    failed+=("$dir")
  fi
  stage_done "tests $dir"
done

# Calls from several threads under ThreadSanitizer: only the exports' tests are built there.
if selected linux-tsan; then
  echo "=== tests: linux-tsan (the exports' tests and the live exchanges)"
  "$build/linux-tsan/bin/api_tests" --gtest_filter='Exports.*:LiveExports.*' || failed+=("linux-tsan")
  "$build/linux-tsan/bin/flows_tests" --gtest_filter='LiveChat*' || failed+=("linux-tsan")
  stage_done "tests linux-tsan"
fi

# The release packages, made and then checked as a user unpacking them meets them.
if selected packages; then
  echo "=== packages"
  if ! { "$root/scripts/package.sh" && "$root/scripts/check-packages.sh"; }; then
    failed+=("packages")
  fi
  stage_done "packages"
fi

# A short fuzzing run of the JSON parser and walkers, seeded with the real server answers.
if selected fuzz; then
  echo "=== fuzzing: json_fuzzer, 60 s"
  corpus="$build/fuzz/corpus"
  mkdir -p "$corpus"
  cp "$root"/tests/fixtures/*.* "$corpus"/
  # Each provider's recorded answers too, named for their provider.
  for answer in "$root"/tests/fixtures/providers/*/*.json; do
    provider=$(basename "$(dirname "$answer")")
    cp "$answer" "$corpus/$provider-$(basename "$answer")"
  done
  if ! "$build/fuzz/bin/json_fuzzer" -max_total_time=60 -print_final_stats=1 "$corpus" >"$build/fuzz/run.log" 2>&1; then
    tail -n 40 "$build/fuzz/run.log"
    failed+=("fuzz")
  fi
  grep -E '^(stat::number_of_executed_units|Done)' "$build/fuzz/run.log" || true
  stage_done "fuzzing"
fi

# The benchmarks' tables: figures to read, not timed tests.
if selected bench; then
  echo "=== JSON benchmark (build/linux, RelWithDebInfo)"
  "$build/linux/bin/json_bench" || failed+=("bench")
  echo "=== large answers: time per MB (build/linux, then build/win32 under Wine)"
  "$build/linux/bin/large_answer_bench" || failed+=("bench")
  "$root/scripts/wine-run.sh" "$WINEPREFIX" /usr/lib/wine/wine \
    "$build/win32/bin/large_answer_bench.exe" || failed+=("bench")
  echo "=== live calls benchmark (build/linux, RelWithDebInfo)"
  "$build/linux/bin/live_bench" "$build/linux/bin/libllmbridge.so" || failed+=("bench")
  stage_done "benchmarks"
fi

echo "=== time by stage"
printf '%s\n' "${timings[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all test runs passed"

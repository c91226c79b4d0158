#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds and runs the consumer project against it:
#   consumer_test.sh <build dir> <consumer source dir>
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$1" --prefix "$work/prefix" >/dev/null
cmake -S "$2" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
output=$(LD_LIBRARY_PATH="$work/prefix/lib:$work/prefix/lib64" "$work/consumer/consumer")
echo "$output"
[ "$output" = "llmbridge 1.11" ]

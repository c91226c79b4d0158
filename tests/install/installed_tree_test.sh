#!/usr/bin/env bash
# Checks an installed llmbridge tree as its users meet it: a consumer project built with CMake's
# find_package and one built with pkg-config, both run against the tree's library, and the
# command-line host finding the library from the tree's bin/.
#   installed_tree_test.sh <consumer source dir> <installed tree>
#   installed_tree_test.sh <consumer source dir> --install <build dir>    (installs into a temporary tree first)
set -euo pipefail
consumer=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$2" = --install ]; then
  tree="$work/prefix"
  cmake --install "$3" --prefix "$tree" >/dev/null
else
  tree=$(cd "$2" && pwd)
fi
library_dir=$(dirname "$(find "$tree" -name libllmbridge.so | head -n 1)")

source "$(dirname "$0")/../e2e/expect.sh"  # for built_version
check() {  # check <what> <output>
  echo "$1: $2"
  [ "$2" = "llmbridge $built_version" ] || { echo "FAILED: $1 printed \"$2\""; exit 1; }
}

cmake -S "$consumer" -B "$work/cmake-consumer" -G Ninja -DCMAKE_PREFIX_PATH="$tree" >/dev/null
cmake --build "$work/cmake-consumer" >/dev/null
check "find_package consumer" "$(LD_LIBRARY_PATH="$library_dir" "$work/cmake-consumer/consumer")"

pc_dir=$(dirname "$(find "$tree" -name llmbridge.pc | head -n 1)")
# shellcheck disable=SC2046  # pkg-config's output is meant to split into options
cc "$consumer/main.c" -o "$work/pc-consumer" $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs llmbridge)
check "pkg-config consumer" "$(LD_LIBRARY_PATH="$library_dir" "$work/pc-consumer")"

check "installed llmbridge-chat" "llmbridge $("$tree/bin/llmbridge-chat" version)"

#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest:  wine-run.sh <prefix> <loader> <program> [args...]
# Wine's output goes to a file, never to CTest's pipe: Wine's background processes inherit the
# pipe, and the reader would wait for them. The ANSI code page is fixed to 1252 (Western).
set -u
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
loader=$2
shift 2
output=$(mktemp)
"$loader" "$@" >"$output" 2>&1
status=$?
cat "$output"
rm -f "$output"
exit $status

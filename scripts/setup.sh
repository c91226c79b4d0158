#!/usr/bin/env bash
# Installs every dependency, builds both targets (see README.md for what lands where) and runs
# the main job offline: a conversation with the local mock server through the library.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$root/scripts/demo.sh"

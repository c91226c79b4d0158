#!/usr/bin/env bash
# Installs every dependency and builds both targets (see README.md for what lands where).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

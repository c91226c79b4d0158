#!/usr/bin/env bash
# The library's main job, offline: starts the local mock server, lists its models and holds a
# short conversation through llmbridge-chat and the library, then stops the server.
#   scripts/demo.sh [bin dir]   (default: build/linux/bin)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/linux/bin}

source "$root/scripts/mock-server.sh" "$bin/llmbridge-mockserver"

echo "\$ llmbridge-chat --server $address --key sk-mock models"
"$bin/llmbridge-chat" --server "$address" --key sk-mock models
echo "\$ llmbridge-chat --server $address --key sk-mock --model mock-small   (two turns)"
printf 'Hello there\nDo you remember what I said?\n' |
  "$bin/llmbridge-chat" --server "$address" --key sk-mock --model mock-small

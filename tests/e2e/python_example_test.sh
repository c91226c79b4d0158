#!/usr/bin/env bash
# examples/python/chat.py against the local mock server:
#   python_example_test.sh <llmbridge-mockserver> <libllmbridge.so> <chat.py>
set -uo pipefail
source "$(dirname "$0")/mock_server.sh" "$1"
output=$(python3 "$3" --library "$2" --server "$address" --key sk-mock 2>&1)
status=$?
echo "$output"
[ $status -eq 0 ] || { echo "FAILED: exit status $status"; exit 1; }
expect "models" "$output" "models: mock-small, mock-large"
expect "second turn remembers the first" "$output" "you began with: What is the capital of France?."

#!/usr/bin/env bash
# A host example against the local mock server: the model list, a two-turn conversation, a new
# conversation with text no Western code page holds, and an error result from a key the server
# refuses.
#   host_example_test.sh <llmbridge-mockserver> <command that runs the example...>
# Every example takes --server and --key, prints the same lines and exits with status 1 after
# printing an error result.
set -uo pipefail
source "$(dirname "$0")/mock_server.sh" "$1"
shift
example=("$@")

output=$("${example[@]}" --server "$address" --key sk-mock 2>&1)
status=$?
echo "$output"
[ $status -eq 0 ] || { echo "FAILED: exit status $status"; exit 1; }
expect "version" "$output" "llmbridge $built_version"
expect "model list" "$output" "models: mock-small, mock-large"
expect "first turn" "$output" "assistant> You said: What is the capital of France?."
expect "second turn remembers the first" "$output" \
  "This is turn 2; you began with: What is the capital of France?."
# The examples ask the Unicode sample in a new conversation; the mock server repeats it.
expect "the server received the Unicode question as a new conversation's only message" \
  "$(cat "$requests")" "\"messages\": [{\"role\": \"user\", \"content\": \"$unicode_sample\"}]}"
expect "the Unicode reply came back whole" "$output" "assistant> You said: $unicode_sample."
# Then a live turn of the same conversation, its reply streamed in and polled.
expect "the live turn continued the conversation" "$output" \
  "live> You said: Stream this, please. This is turn 2; you began with: $unicode_sample."
expect "the live turn asked for a stream" "$(tail -n 1 "$requests")" "\"stream\": true"

errors=$("${example[@]}" --server "$address" --key wrong 2>&1)
status=$?
echo "$errors"
expect "error result" "$errors" "error: Api Error code: 401"
[ $status -eq 1 ] || { echo "FAILED: exit status $status after an error result"; exit 1; }

#!/usr/bin/env bash
# The command-line host against the local mock server, through the real library:
#   chat_cli_test.sh <llmbridge-mockserver> <command that runs llmbridge-chat...>
set -uo pipefail
mockserver=$1
# A folder for the images the library keeps; the mock server's own clean-up runs this trap too.
images=$(mktemp -d)
trap 'rm -rf "$images"' EXIT
source "$(dirname "$0")/mock_server.sh" "$mockserver"
shift
chat=("$@")

expect "version" "$("${chat[@]}" version)" "$built_version"
expect "model list" "$("${chat[@]}" --server "$address" --key sk-mock models)" $'mock-small\nmock-large'

conversation=$(printf 'Hello there\nDo you remember?\n' | "${chat[@]}" --server "$address" --key sk-mock)
expect "first turn" "$conversation" "assistant> You said: Hello there."
expect "second turn remembers the first" "$conversation" \
  "assistant> You said: Do you remember?. This is turn 2; you began with: Hello there."

renewed=$(printf 'Hello there\n/new\n%s\n' "$unicode_sample" | "${chat[@]}" --server "$address" --key sk-mock)
expect "/new starts a new conversation" "$renewed" "(new conversation)"
expect "a non-Latin prompt comes back whole" "$renewed" "assistant> You said: $unicode_sample."
expect "the server received it intact, as the new conversation's only message" "$(cat "$requests")" \
  "\"messages\": [{\"role\": \"user\", \"content\": \"$unicode_sample\"}]}"

errors=$(printf 'Hi\n' | "${chat[@]}" --server "$address" --key wrong 2>&1)
status=$?
expect "wrong key" "$errors" "error: Api Error code: 401"
[ $status -eq 1 ] || { echo "FAILED: exit status $status for an error result"; exit 1; }
expect "unknown model" "$(printf 'Hi\n' | "${chat[@]}" --server "$address" --key sk-mock --model nope 2>&1)" \
  "error: Api Error code: 404"
expect "unreachable server" "$(printf 'Hi\n' | "${chat[@]}" --server 127.0.0.1:1 --key sk-mock 2>&1)" \
  "error: Api Error code: 0"

# Ctrl-C while a reply streams in cancels that reply and keeps the session. Only where the program
# runs natively: a signal to the emulator that runs a Windows build is not a console's Ctrl-C.
if [ ${#chat[@]} -eq 1 ]; then
  slow_port_file=$(mktemp)
  "$mockserver" --key sk-mock --port-file "$slow_port_file" --chunk-delay-ms 300 >/dev/null &
  slow_pid=$!
  input=$(mktemp -u)
  mkfifo "$input"
  output=$(mktemp)
  for _ in $(seq 100); do [ -s "$slow_port_file" ] && break; sleep 0.05; done
  "${chat[@]}" --server "127.0.0.1:$(cat "$slow_port_file")" --key sk-mock <"$input" >"$output" &
  chat_pid=$!
  exec 3>"$input"
  echo "one two three four five six" >&3
  sleep 1
  kill -INT $chat_pid
  sleep 0.3
  echo "again" >&3
  exec 3>&-
  wait $chat_pid
  status=$?
  kill $slow_pid
  transcript=$(cat "$output")
  rm -f "$slow_port_file" "$input" "$output"
  [ $status -eq 0 ] || { echo "FAILED: exit status $status after a cancelled reply"; exit 1; }
  expect "Ctrl-C cancels the streaming reply" "$transcript" " (cancelled)"
  expect "and the session goes on" "$transcript" "assistant> You said: again."
fi

# Host options: a system message and body members reach the server; an image model's b64_json
# answer is kept in a file whose path is the result. Under Wine the Unix tree is drive Z:.
optioned=$(printf 'Hi\n' | "${chat[@]}" --server "$address" --key sk-mock --system "Be brief." \
  --option 'body={"seed": 7, "top_p": 0.5}' --option "header=X-Title: llmbridge-chat")
expect "options: the answer" "$optioned" "assistant> You said: Hi."
expect "options: the system message comes first" "$(cat "$requests")" \
  "\"messages\": [{\"role\": \"system\", \"content\": \"Be brief.\"},{\"role\": \"user\", \"content\": \"Hi\"}], \"seed\": 7, \"top_p\": 0.5}"
image_folder=$images
[[ "${chat[*]}" == *wine* ]] && image_folder="Z:$images"
kept=$("${chat[@]}" --key sk-mock --option "imageurl=http://$address/v1" \
  --option 'imagebody={"model": "gpt-image-1"}' --option "imagedir=$image_folder" image "a red fox")
expect "options: the image's path" "$kept" "image-"
expect "options: one PNG file kept" "$(ls "$images")" ".png"
expect "options: its bytes" "$(head -c 4 "$images"/image-*.png | od -An -c)" "P   N   G"
refused=$("${chat[@]}" --option "timeout=soon" version 2>&1)
expect "options: a refused option stops the program" "$refused" \
  "error: the option timeout was refused: the timeout \"soon\" is not a number of seconds"

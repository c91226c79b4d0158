#!/usr/bin/env bash
# The command-line host against a third-party OpenAI-compatible server, @dwmkerr/mock-llm, run
# from its npm package with the rules in mock_llm.yaml, bound to loopback only:
#   third_party_server_test.sh <node> <mock-llm package folder> <command that runs llmbridge-chat...>
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/expect.sh"
node=$1
package=$2
shift 2
chat=("$@")

# A free loopback port, asked of the kernel; the server is started on it at once.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
log=$(mktemp)
HOST=127.0.0.1 PORT=$port "$node" "$package/dist/main.js" --config "$here/mock_llm.yaml" >"$log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; rm -f "$log"' EXIT
for _ in $(seq 100); do
  grep -q "running on 127.0.0.1:$port" "$log" && break
  kill -0 $server 2>/dev/null || break
  sleep 0.1
done
grep -q "running on 127.0.0.1:$port" "$log" || { cat "$log"; echo "FAILED: mock-llm did not start"; exit 1; }
address=127.0.0.1:$port

expect "model list" "$("${chat[@]}" --server "$address" --key sk-third-party models)" $'echo-small\necho-large'

conversation=$(printf 'Hello there\nDo you remember?\n' |
  "${chat[@]}" --server "$address" --key sk-third-party --model echo-small)
expect "first turn" "$conversation" "assistant> echo: Hello there | messages: 1 | first: Hello there"
# The second request carries the first question, its answer and the new question.
expect "second turn sends the conversation" "$conversation" \
  "assistant> echo: Do you remember? | messages: 3 | first: Hello there"

errors=$(printf 'Hi\n' | "${chat[@]}" --server "$address" --key wrong 2>&1)
status=$?
# Asked for a stream, mock-llm reports the refused key as an event of a 200 answer: the reply is
# empty and the event's message is the error.
expect "refused key" "$errors" "error: Incorrect API key provided."
[ $status -eq 1 ] || { echo "FAILED: exit status $status for an error result"; exit 1; }
expect "unknown model" "$(printf 'Hi\n' | "${chat[@]}" --server "$address" --key sk-third-party \
  --model no-such-model 2>&1)" "error: The model does not exist."

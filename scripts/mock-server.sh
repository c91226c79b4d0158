# Sourced by scripts that need the local mock server: `source scripts/mock-server.sh <mockserver>`
# starts it on a free loopback port with the key sk-mock, sets $address ("127.0.0.1:<port>") and
# $requests (a file with one line per request received: method, path and body), and stops it when
# the sourcing script exits, after whatever EXIT trap the script had set. If the server does not
# start, the sourcing script exits with status 1.
mock_port_file=$(mktemp)
requests=$(mktemp)
"$1" --key sk-mock --port-file "$mock_port_file" --request-log "$requests" >/dev/null &
mock_pid=$!

# The caller's EXIT trap, as `trap -p` quotes it, runs after the server is stopped.
mock_previous_trap=$(trap -p EXIT)
mock_previous_trap=${mock_previous_trap#trap -- \'}
mock_previous_trap=${mock_previous_trap%\' EXIT}
mock_previous_trap=${mock_previous_trap//\'\\\'\'/\'}
trap 'kill $mock_pid 2>/dev/null || true; rm -f "$mock_port_file" "$requests"; '"$mock_previous_trap" EXIT

for _ in $(seq 200); do
  [ -s "$mock_port_file" ] && break
  kill -0 $mock_pid 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$mock_port_file" ]; then
  echo "mock-server.sh: $1 did not start within 10 s" >&2
  exit 1
fi
address="127.0.0.1:$(cat "$mock_port_file")"

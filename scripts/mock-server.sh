# Sourced by scripts that need the local mock server: `source scripts/mock-server.sh <mockserver>`
# starts it on a free loopback port with the key sk-mock, sets $address ("127.0.0.1:<port>") and
# $requests (a file with one line per request received: method, path and body), and stops it when
# the sourcing script exits.
mock_port_file=$(mktemp)
requests=$(mktemp)
"$1" --key sk-mock --port-file "$mock_port_file" --request-log "$requests" >/dev/null &
mock_pid=$!
trap 'kill $mock_pid 2>/dev/null || true; rm -f "$mock_port_file" "$requests"' EXIT
for _ in $(seq 200); do
  [ -s "$mock_port_file" ] && break
  sleep 0.05
done
address="127.0.0.1:$(cat "$mock_port_file")"

# Sourced by the end-to-end tests: starts the mock server given as $1 on a free loopback port,
# sets $address, and stops the server when the test ends.
mock_port_file=$(mktemp)
"$1" --key sk-mock --port-file "$mock_port_file" >/dev/null &
mock_pid=$!
trap 'kill $mock_pid 2>/dev/null || true; rm -f "$mock_port_file"' EXIT
for _ in $(seq 200); do
  [ -s "$mock_port_file" ] && break
  sleep 0.05
done
address="127.0.0.1:$(cat "$mock_port_file")"

# expect <what> <text> <pattern>: fails the test when the text lacks the pattern.
expect() {
  if ! grep -qF -- "$3" <<<"$2"; then
    printf 'FAILED: %s\nexpected to find: %s\nin:\n%s\n' "$1" "$3" "$2"
    exit 1
  fi
  echo "ok: $1"
}

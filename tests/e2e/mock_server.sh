# Sourced by the end-to-end tests: starts the mock server given as $1 (see scripts/mock-server.sh)
# and gives the tests their check.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/mock-server.sh" "$1"

# expect <what> <text> <pattern>: fails the test when the text lacks the pattern.
expect() {
  if ! grep -qF -- "$3" <<<"$2"; then
    printf 'FAILED: %s\nexpected to find: %s\nin:\n%s\n' "$1" "$3" "$2"
    exit 1
  fi
  echo "ok: $1"
}

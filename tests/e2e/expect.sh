# Sourced by the end-to-end tests.
# expect <what> <text> <pattern>: fails the test when the text lacks the pattern.
expect() {
  if ! grep -qF -- "$3" <<<"$2"; then
    printf 'FAILED: %s\nexpected to find: %s\nin:\n%s\n' "$1" "$3" "$2"
    exit 1
  fi
  echo "ok: $1"
}

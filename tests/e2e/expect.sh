# Sourced by the end-to-end tests.

# The version the build reports: the one the top CMakeLists.txt's project() gives.
built_version=$(sed -n 's/^project(llmbridge VERSION \([0-9.]*\).*/\1/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../../CMakeLists.txt")

# expect <what> <text> <pattern>: fails the test when the text lacks the pattern.
expect() {
  if ! grep -qF -- "$3" <<<"$2"; then
    printf 'FAILED: %s\nexpected to find: %s\nin:\n%s\n' "$1" "$3" "$2"
    exit 1
  fi
  echo "ok: $1"
}

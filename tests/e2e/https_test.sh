#!/usr/bin/env bash
# HTTPS end to end: the command-line host (the UTF-16 exports) and the host program's HTTPS case
# (the narrow and UTF-16 exports) against the mock server serving TLS with certificates made for
# the test, and every provider's recorded answers replayed over TLS.
#   https_test.sh <llmbridge-mockserver> <providers fixtures> <llmbridge-chat> \
#                 <host_program_tests> [command that runs Windows programs...]
# On Linux the test root is trusted the way the system trusts: inside a private mount namespace
# a bundle holding it is mounted over the system's certificate folder, and verification stays
# on. Under Wine, Schannel accepts any certificate unless told which authorities to trust, so the
# certificate failures are checked on Linux only.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/expect.sh"
source "$here/tls_certificates.sh"
mockserver=$1 fixtures=$2 chat_program=$3 host_tests=$4
run=("${@:5}")

if [ ${#run[@]} -eq 0 ] && [ -z "${LLMBRIDGE_TEST_ROOT_TRUSTED:-}" ]; then
  certificates=$(mktemp -d)
  trap 'rm -rf "$certificates"' EXIT
  make_test_certificates "$certificates" || { echo "FAILED: cannot make the test certificates"; exit 1; }
  mkdir "$certificates/system"
  cat /etc/ssl/certs/ca-certificates.crt "$certificates/root.pem" >"$certificates/system/ca-certificates.crt"
  if ! unshare -m true 2>/dev/null; then
    echo "SKIPPED: no private mount namespace here (unshare -m needs root), so the test root cannot be trusted"
    exit 77
  fi
  LLMBRIDGE_TEST_ROOT_TRUSTED=1 LLMBRIDGE_TEST_CERTIFICATES=$certificates \
    unshare -m sh -c 'mount --bind "$LLMBRIDGE_TEST_CERTIFICATES/system" /etc/ssl/certs && exec "$@"' \
    sh "$0" "$@"
  exit $?
fi
certificates=${LLMBRIDGE_TEST_CERTIFICATES:-}
if [ -z "$certificates" ]; then
  certificates=$(mktemp -d)
  trap 'rm -rf "$certificates"' EXIT
  make_test_certificates "$certificates" || { echo "FAILED: cannot make the test certificates"; exit 1; }
fi

# Starts a mock server with the named certificate; sets $port.
servers=()
start_server() {
  local port_file
  port_file=$(mktemp -p "$certificates")
  "$mockserver" --key sk-mock --port-file "$port_file" --tls-cert "$certificates/$1.pem" \
    --tls-key "$certificates/$1.key" --fixtures "$fixtures" >/dev/null 2>&1 &
  servers+=($!)
  for _ in $(seq 200); do
    [ -s "$port_file" ] && break
    sleep 0.05
  done
  port=$(cat "$port_file")
  [ -n "$port" ] || { echo "FAILED: the mock server did not start with $1.pem"; exit 1; }
}
trap 'kill "${servers[@]}" 2>/dev/null; [ -n "${LLMBRIDGE_TEST_CERTIFICATES:-}" ] || rm -rf "$certificates"' EXIT
start_server trusted
base="https://127.0.0.1:$port"
chat() { "${run[@]}" "$chat_program" "$@" 2>&1; }

# Both widths of chat and getmodels, and lasterror, through the host program.
if ! LLMBRIDGE_TEST_HTTPS_BASE_URL="$base/v1" "${run[@]}" "$host_tests" --gtest_filter='HostProgram.*Https*'; then
  echo "FAILED: the host program's HTTPS case"
  exit 1
fi

expect "models over TLS" "$(chat --server "$base/v1" --key sk-mock models)" $'mock-small\nmock-large'
conversation=$(printf 'Hello there\nDo you remember?\n' | chat --server "$base/v1/" --key sk-mock)
expect "a conversation of two turns over TLS" "$conversation" \
  "assistant> You said: Do you remember?. This is turn 2; you began with: Hello there."
expect "the server's own message" "$(printf 'Hi\n' | chat --server "$base/v1" --key wrong)" \
  $'error: Api Error code: 401\nerror: HTTP 401: Incorrect API key provided.'
expect "no redirect from https to plain http" \
  "$(printf 'Hi\n' | chat --server "$base/redirect/307/http/127.0.0.1:$port/v1" --key sk-mock)" \
  $'error: Api Error code: 0\nerror: refused a redirect from https to plain http'

if [ ${#run[@]} -eq 0 ]; then
  for failing in "untrusted:certificate" "wronghost:host name" "expired:expired"; do
    start_server "${failing%%:*}"
    expect "a certificate that fails verification (${failing%%:*})" \
      "$(printf 'Hi\n' | chat --server "https://127.0.0.1:$port/v1" --key sk-mock)" \
      $'error: Api Error code: 0\nerror: SSL'
    expect "libcurl says why (${failing%%:*})" \
      "$(printf 'Hi\n' | chat --server "https://127.0.0.1:$port/v1" --key sk-mock)" "${failing#*:}"
  done
fi

# Every provider's recorded answers: the reply, the model ids and the error message. The table
# runs once, natively: under Wine it would test the same code again, a program start at a time.
[ ${#run[@]} -eq 0 ] || exit 0
while IFS=$'\t' read -r provider error_file reply models message _; do
  [ "$provider" = provider ] && continue
  expect "$provider: reply" "$(printf 'Hi\n' | chat --server "$base/$provider" --key sk-mock)" \
    "assistant> $(printf '%b' "$reply" | head -n 1)"
  expect "$provider: models" "$(chat --server "$base/$provider" --key sk-mock models)" "${models//|/$'\n'}"
  status=${error_file#error-}
  status=${status%%.*}
  outcome="error: Api Error code: $status"$'\n'"error: HTTP $status: $message"
  # An answer of status 200 that holds an error gives an empty reply and its message.
  [ "$status" = 200 ] && outcome="error: $message"
  expect "$provider: error" "$(printf 'Hi\n' | chat --server "$base/$provider" --key wrong)" "$outcome"
done <"$fixtures/providers.tsv"

# Sourced by the end-to-end tests: starts the mock server given as $1 (see scripts/mock-server.sh)
# and gives the tests their check.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/mock-server.sh" "$1"
source "$(dirname "${BASH_SOURCE[0]}")/expect.sh"

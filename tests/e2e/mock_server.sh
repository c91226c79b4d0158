# Sourced by the end-to-end tests: starts the mock server given as $1 (see scripts/mock-server.sh)
# and gives the tests their check and their Unicode text.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/mock-server.sh" "$1"
source "$(dirname "${BASH_SOURCE[0]}")/expect.sh"

# Text no Western code page holds, in UTF-8: CJK, Cyrillic, an emoji (a surrogate pair in UTF-16)
# and e with a combining acute accent.
unicode_sample=$(printf '\xe4\xb8\xad\xe6\x96\x87 \xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xf0\x9f\x98\x80 e\xcc\x81')

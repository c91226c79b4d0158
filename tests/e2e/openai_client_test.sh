#!/usr/bin/env bash
# The official openai npm client against the local mock server:
#   openai_client_test.sh <llmbridge-mockserver> <node> <node_modules folder holding openai>
set -uo pipefail
source "$(dirname "$0")/mock_server.sh" "$1"
NODE_PATH=$3 "$2" "$(dirname "$0")/openai_client_check.js" "$address"

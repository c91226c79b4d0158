#include <csignal>

#include "support/test_socket.h"

namespace llmbridge::testing {

// A client that hangs up makes send() raise SIGPIPE; the servers want the error code instead.
void StartTestSockets() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace llmbridge::testing

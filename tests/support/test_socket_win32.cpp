#include "support/test_socket.h"

namespace llmbridge::testing {

void StartTestSockets() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

}  // namespace llmbridge::testing

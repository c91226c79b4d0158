// The few socket calls the test servers need, on Winsock and on POSIX sockets alike.
#pragma once

// The platform's half, test_socket_win32.h or test_socket_posix.h, as CMake chose it: the BSD
// calls themselves are spelt alike on both.
#include LLMBRIDGE_TEST_SOCKET_HEADER

namespace llmbridge::testing {

// Starts the platform's socket layer for the test process (Winsock needs it; POSIX does not).
void StartTestSockets();

}  // namespace llmbridge::testing

// The few socket calls the test servers need, on Winsock and on POSIX sockets alike.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace llmbridge::testing {

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
inline void CloseSocket(SocketHandle s) { closesocket(s); }
using SocketLength = int;
#else
using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;
inline void CloseSocket(SocketHandle s) { close(s); }
using SocketLength = socklen_t;
#endif

// Starts the platform's socket layer for the test process (Winsock needs it; POSIX does not).
void StartTestSockets();

}  // namespace llmbridge::testing

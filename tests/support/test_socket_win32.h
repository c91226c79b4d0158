// Winsock's half of the test sockets: its headers, handle type and closing call.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

namespace llmbridge::testing {

using SocketHandle = SOCKET;
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
inline void CloseSocket(SocketHandle s) { closesocket(s); }
using SocketLength = int;

}  // namespace llmbridge::testing

// The POSIX half of the test sockets: its headers, handle type and closing call.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace llmbridge::testing {

using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;
inline void CloseSocket(SocketHandle s) { close(s); }
using SocketLength = socklen_t;

}  // namespace llmbridge::testing

#include <winsock2.h>

#include "http/network.h"

namespace llmbridge {

namespace {
bool g_network_started = false;
}  // namespace

void StartNetwork() {
  if (g_network_started) return;
  WSADATA data;
  g_network_started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void StopNetwork() {
  if (!g_network_started) return;
  WSACleanup();  // balances the one successful WSAStartup
  g_network_started = false;
}

}  // namespace llmbridge

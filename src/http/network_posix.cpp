#include "http/network.h"

namespace llmbridge {

// POSIX sockets need no start or stop.
void StartNetwork() {}
void StopNetwork() {}

}  // namespace llmbridge

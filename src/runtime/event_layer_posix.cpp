// Without the platform's message queues there is no window to post events to.
#include "runtime/event_layer.h"

namespace llmbridge {

void InitEventLayer() {}
void ShutdownEventLayer() {}

}  // namespace llmbridge

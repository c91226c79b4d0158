// Without a message queue of the platform's there is no window to post to: only the event queue
// itself exists.
#include "base/event_queue.h"
#include "runtime/event_layer.h"

namespace llmbridge {

void InitEventLayer() { CreateEventQueue(); }
void ShutdownEventLayer() { DropEventQueue(); }
void* PostEventWindow() { return nullptr; }
uint32_t PostEventMessage() { return 0; }
uint32_t PostEventReplyMessage() { return 0; }

}  // namespace llmbridge

// Without a message queue of the platform's there is no window to post to: only the event queue
// itself exists.
#include "runtime/event_layer.h"
#include "runtime/event_queue.h"

namespace llmbridge {

void InitEventLayer() { CreateEventQueue(); }
void ShutdownEventLayer() { DropEventQueue(); }
void* PostEventWindow() { return nullptr; }
uint32_t PostEventMessage() { return 0; }
uint32_t PostEventReplyMessage() { return 0; }

}  // namespace llmbridge

// The event layer: a hidden window and two private messages through which events can be posted
// to the loading thread, and the queue they land in.
#pragma once

#include <cstdint>

namespace llmbridge {

void InitEventLayer();
void ShutdownEventLayer();

// The hidden window's identifier (null when it could not be made, or where there is none) and
// the two registered messages (0 where there are none).
void* PostEventWindow();
uint32_t PostEventMessage();
uint32_t PostEventReplyMessage();

}  // namespace llmbridge

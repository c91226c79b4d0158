// The event layer: the hidden "PostEventClass" window and two private window messages through
// which events could be posted to the loading thread. Nothing in the library posts any.
#pragma once

namespace llmbridge {

void InitEventLayer();
void ShutdownEventLayer();

}  // namespace llmbridge

// The event queue: window events are recorded here for an event loop to take. The
// library has no such loop, so nothing in it reads the queue.
#pragma once

#include <cstdint>
#include <vector>

namespace llmbridge {

enum class EventKind : uint32_t { CloseRequested = 1 };

struct QueuedEvent {
  EventKind kind;
  void* window;  // the platform's identifier of the window it concerns
};

void CreateEventQueue();  // empty
void PushEvent(const QueuedEvent& event);
const std::vector<QueuedEvent>& QueuedEvents();  // oldest first
void DropEventQueue();

}  // namespace llmbridge

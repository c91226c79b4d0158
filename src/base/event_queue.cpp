#include "base/event_queue.h"

namespace llmbridge {

namespace {
std::vector<QueuedEvent> g_events;
}  // namespace

void CreateEventQueue() { g_events.clear(); }

void PushEvent(const QueuedEvent& event) { g_events.push_back(event); }

const std::vector<QueuedEvent>& QueuedEvents() { return g_events; }

void DropEventQueue() {
  g_events.clear();
  g_events.shrink_to_fit();
}

}  // namespace llmbridge

// One library-wide lock, held for the whole body of every export: calls from several host
// threads run one after another, never overlapping. The library's state (the conversation, the
// last results, the JSON slots, the progress window) is shared by all calls and unguarded
// otherwise.
#pragma once

#include <mutex>

namespace llmbridge {

// Recursive, so that a host re-entering the library from the calling thread (from a message it
// dispatches inside a call, for instance) runs as it did before there was a lock.
std::recursive_mutex& ExportLock();

// Holds the export lock while it lives: the first line of every export's body.
class SerialisedCall {
 public:
  SerialisedCall() : guard_(ExportLock()) {}
  SerialisedCall(const SerialisedCall&) = delete;
  SerialisedCall& operator=(const SerialisedCall&) = delete;

 private:
  std::lock_guard<std::recursive_mutex> guard_;
};

}  // namespace llmbridge

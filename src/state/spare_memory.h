// Keeping between calls only what the library's state needs.
#pragma once

#include "state/library_state.h"

namespace llmbridge {

// Gives back what the state's texts hold beyond their contents once that is large (a text keeps
// the capacity of the largest answer it ever held otherwise), then the C runtime's free pages:
// after a call of many megabytes, a host running for weeks must not keep paying for it. The texts
// keep their contents; results handed to the host are not touched.
void ReleaseSpareMemory(LibraryState& state) noexcept;

// Releases the state's spare memory when it ends: the second line of every export that runs a
// flow, so that it runs after the result is made and before the library's lock is let go.
class SpareMemoryReleaseOnExit {
 public:
  SpareMemoryReleaseOnExit() = default;
  ~SpareMemoryReleaseOnExit() { ReleaseSpareMemory(GetLibraryState()); }
  SpareMemoryReleaseOnExit(const SpareMemoryReleaseOnExit&) = delete;
  SpareMemoryReleaseOnExit& operator=(const SpareMemoryReleaseOnExit&) = delete;
};

}  // namespace llmbridge

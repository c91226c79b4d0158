// Whether the tests run with a display: DISPLAY set and not empty (Wine reads it too). Windows
// can be made only then; without one, the tests that need a window skip.
#pragma once

#include <cstdlib>

namespace llmbridge::testing {

inline bool DisplaySet() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

// Whether each progress window takes seconds to appear: so under Wine on a virtual display, never
// on Linux. Tests that open hundreds of them run where it is false.
bool ProgressWindowsAreSlow();

}  // namespace llmbridge::testing

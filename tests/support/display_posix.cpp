#include "support/display.h"

namespace llmbridge::testing {

// The X11 notice appears at once.
bool ProgressWindowsAreSlow() { return false; }

}  // namespace llmbridge::testing

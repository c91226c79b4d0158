#include "support/display.h"

namespace llmbridge::testing {

// Under Wine each window on the virtual display takes about 2 s to appear; without a display the
// window paths still run, and fail fast.
bool ProgressWindowsAreSlow() { return DisplaySet(); }

}  // namespace llmbridge::testing

// What the shared window layer asks of the platform.
#pragma once

#include "ui/open_window_list.h"

namespace llmbridge::platform {

// Destroys one window of the open-window list. It need not remove the entry: the caller does
// when the platform did not.
void DestroyTopLevelWindow(const OpenWindow& window);

// Releases what InitWindowLayer made, after every window is closed.
void ReleaseWindowDefaults();

}  // namespace llmbridge::platform

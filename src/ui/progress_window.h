// The progress window shown while a chat or image request runs, and closing it again.
#pragma once

#include <cstdint>

namespace llmbridge {

// Opens the borderless progress window with its two lines, centred on the primary screen whatever
// x and y say (callers pass 0, 0, 220, 40). Always returns 0: when no window can be made (no
// display, for instance) the request simply goes on without one.
int32_t OpenProgressWindow(int32_t x, int32_t y, int32_t width, int32_t height);

// Destroys every window of the open-window list, newest first. With nothing open it makes no
// platform call.
void CloseAllWindows();

}  // namespace llmbridge

// The progress window shown while a chat or image request runs, and closing it again.
#pragma once

#include <cstdint>

namespace llmbridge {

// The progress window and its two labels as the platform identifies them: null where nothing was
// made, and for labels when the platform draws the lines itself. The caller keeps them for the
// record; the window layer owns what they name and destroys it in CloseAllWindows.
struct ProgressWindowHandles {
  void* window = nullptr;
  void* first_label = nullptr;
  void* second_label = nullptr;
};

// Opens the borderless progress window with its two lines, centred on the primary screen whatever
// x and y say (callers pass 0, 0, 220, 40). Nothing is reported: when no window can be made (no
// display, for instance) all handles are null and the request simply goes on without one.
ProgressWindowHandles OpenProgressWindow(int32_t x, int32_t y, int32_t width, int32_t height);

// Destroys every window of the open-window list, newest first. With nothing open it makes no
// platform call.
void CloseAllWindows();

}  // namespace llmbridge

// The open-window list: the top-level windows the library has opened and not yet destroyed.
// Process-wide and unlocked, like every export; in practice it holds the progress window or
// nothing.
#pragma once

#include <cstdint>
#include <vector>

namespace llmbridge {

struct OpenWindow {
  int32_t number = 0;             // unique among open windows; names the window's class
  void* handle = nullptr;         // the platform's window identifier; null until created
  void* focused_child = nullptr;  // the child that had the focus when the window was deactivated
};

// Enters a new window with a fresh number and no handle yet; returns the number.
int32_t EnterOpenWindow();

// Null when no open window has that number or handle.
OpenWindow* FindOpenWindow(int32_t number);
OpenWindow* FindOpenWindowByHandle(const void* handle);

// Removes the entry; a number that is not in the list is ignored.
void LeaveOpenWindowList(int32_t number);

// Oldest first.
const std::vector<OpenWindow>& OpenWindows();

}  // namespace llmbridge

#include "ui/open_window_list.h"

#include <algorithm>

namespace llmbridge {

namespace {
std::vector<OpenWindow> g_open_windows;
int32_t g_last_number = 0;

template <typename Predicate>
OpenWindow* FindIf(Predicate predicate) {
  auto found = std::find_if(g_open_windows.begin(), g_open_windows.end(), predicate);
  return found == g_open_windows.end() ? nullptr : &*found;
}
}  // namespace

int32_t EnterOpenWindow() {
  // A counter is unique among open windows as long as fewer than 2^31 windows were ever opened.
  OpenWindow entry;
  entry.number = ++g_last_number;
  g_open_windows.push_back(entry);
  return entry.number;
}

OpenWindow* FindOpenWindow(int32_t number) {
  return FindIf([number](const OpenWindow& w) { return w.number == number; });
}

OpenWindow* FindOpenWindowByHandle(const void* handle) {
  if (handle == nullptr) return nullptr;
  return FindIf([handle](const OpenWindow& w) { return w.handle == handle; });
}

void LeaveOpenWindowList(int32_t number) {
  g_open_windows.erase(std::remove_if(g_open_windows.begin(), g_open_windows.end(),
                                      [number](const OpenWindow& w) { return w.number == number; }),
                       g_open_windows.end());
}

const std::vector<OpenWindow>& OpenWindows() { return g_open_windows; }

}  // namespace llmbridge

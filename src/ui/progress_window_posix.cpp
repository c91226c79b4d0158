// The progress window elsewhere: the equivalent notice on X11 when a display is available.
#include <cstdint>
#include <map>
#include <memory>

#include "state/library_state.h"
#include "ui/notice_window_posix.h"
#include "ui/open_window_list.h"
#include "ui/progress_window.h"
#include "ui/window_layer.h"
#include "ui/window_platform.h"

namespace llmbridge {

namespace {
// The open notices by window number: each owns its display connection.
std::map<int32_t, std::unique_ptr<NoticeWindow>> g_notices;

void* WindowIdentifier(Window id) { return reinterpret_cast<void*>(static_cast<uintptr_t>(id)); }
}  // namespace

int32_t OpenProgressWindow(int32_t /*x*/, int32_t /*y*/, int32_t width, int32_t height) {
  const int32_t number = EnterOpenWindow();
  const XlibFunctions* xlib = LoadXlib();
  std::unique_ptr<NoticeWindow> notice =
      xlib != nullptr ? NoticeWindow::Open(*xlib, width, height) : nullptr;
  LibraryState& state = GetLibraryState();
  if (notice == nullptr) {
    LeaveOpenWindowList(number);
    state.ProgressWindow = nullptr;
    return 0;
  }
  state.ProgressWindow = WindowIdentifier(notice->id());
  FindOpenWindow(number)->handle = state.ProgressWindow;
  g_notices[number] = std::move(notice);
  return 0;
}

// No window classes, icons, fonts or common controls exist here: the notice brings its own.
void InitWindowLayer() {}
void InitControlLayer() {}

namespace platform {

void DestroyTopLevelWindow(const OpenWindow& window) { g_notices.erase(window.number); }

void ReleaseWindowDefaults() { UnloadXlib(); }

}  // namespace platform

}  // namespace llmbridge

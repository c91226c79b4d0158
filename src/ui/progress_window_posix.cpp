// The progress window elsewhere: the equivalent notice on X11 when a display is available.
#include <cstdint>
#include <memory>
#include <utility>

#include "ui/notice_window_posix.h"
#include "ui/open_notices_posix.h"
#include "ui/open_window_list.h"
#include "ui/progress_window.h"

namespace llmbridge {

namespace {
void* WindowIdentifier(Window id) { return reinterpret_cast<void*>(static_cast<uintptr_t>(id)); }
}  // namespace

// The notice draws its two lines itself: there are no label handles.
ProgressWindowHandles OpenProgressWindow(int32_t /*x*/, int32_t /*y*/, int32_t width,
                                         int32_t height) {
  const int32_t number = EnterOpenWindow();
  const XlibFunctions* xlib = LoadXlib();
  std::unique_ptr<NoticeWindow> notice =
      xlib != nullptr ? NoticeWindow::Open(*xlib, width, height) : nullptr;
  ProgressWindowHandles made;
  if (notice == nullptr) {
    LeaveOpenWindowList(number);
    return made;
  }
  made.window = WindowIdentifier(notice->id());
  FindOpenWindow(number)->handle = made.window;
  KeepOpenNotice(number, std::move(notice));
  return made;
}

}  // namespace llmbridge

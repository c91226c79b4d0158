// The progress notice on X11: an override-redirect window, so no window manager decorates, moves
// or closes it, painted once with the two lines. It owns its display connection, and with it the
// window, graphics context and font: destroying the notice releases all of them.
#pragma once

#include <memory>

#include "ui/xlib_posix.h"

namespace llmbridge {

class NoticeWindow {
 public:
  // Null when there is no display or the window cannot be made.
  static std::unique_ptr<NoticeWindow> Open(const XlibFunctions& xlib, int width, int height);
  ~NoticeWindow();

  NoticeWindow(const NoticeWindow&) = delete;
  NoticeWindow& operator=(const NoticeWindow&) = delete;

  Window id() const { return window_; }

 private:
  NoticeWindow(const XlibFunctions& xlib, Display* display) : xlib_(xlib), display_(display) {}
  void Create(int width, int height);
  void DrawLabels();

  const XlibFunctions& xlib_;
  Display* display_;
  Window window_ = 0;
};

}  // namespace llmbridge

#include "ui/notice_window_posix.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "ui/centring.h"
#include "ui/progress_labels.h"

namespace llmbridge {

namespace {

// The colours of the Windows default scheme the notice imitates: the 3-D face and window text.
constexpr unsigned short kFaceLevel = 240 * 257;  // 8-bit 240 on X's 16-bit scale
constexpr unsigned short kTextLevel = 0;

unsigned long ColourPixel(const XlibFunctions& xlib, Display* display, unsigned short level) {
  XColor colour{};
  colour.red = colour.green = colour.blue = level;
  colour.flags = DoRed | DoGreen | DoBlue;
  const int screen = xlib.default_screen(display);
  if (xlib.alloc_color(display, xlib.default_colormap(display, screen), &colour) == 0) return 0;
  return colour.pixel;
}

}  // namespace

std::unique_ptr<NoticeWindow> NoticeWindow::Open(const XlibFunctions& xlib, int width, int height) {
  const char* display_name = std::getenv("DISPLAY");
  if (display_name == nullptr || *display_name == '\0') return nullptr;
  Display* display = xlib.open_display(display_name);
  if (display == nullptr) return nullptr;
  std::unique_ptr<NoticeWindow> notice(new (std::nothrow) NoticeWindow(xlib, display));
  if (notice == nullptr) {  // the connection has no owner yet
    xlib.close_display(display);
    return nullptr;
  }
  notice->Create(width, height);
  if (notice->window_ == 0) return nullptr;
  return notice;
}

NoticeWindow::~NoticeWindow() { xlib_.close_display(display_); }  // destroys the window too

void NoticeWindow::Create(int width, int height) {
  const int screen = xlib_.default_screen(display_);
  const ScreenPoint origin = CentredOrigin(xlib_.display_width(display_, screen),
                                           xlib_.display_height(display_, screen), width, height);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = ColourPixel(xlib_, display_, kFaceLevel);
  attributes.border_pixel = 0;
  window_ = xlib_.create_window(display_, xlib_.root_window(display_, screen), origin.x, origin.y,
                                static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                CopyFromParent, InputOutput, nullptr,
                                CWOverrideRedirect | CWBackPixel | CWBorderPixel, &attributes);
  if (window_ == 0) return;
  xlib_.map_raised(display_, window_);
  // Once the server has mapped the window the lines can be drawn on it; like the Windows window,
  // it is not repainted while the request blocks the thread.
  xlib_.sync(display_, False);
  DrawLabels();
  xlib_.sync(display_, False);
}

void NoticeWindow::DrawLabels() {
  XFontStruct* font = xlib_.load_query_font(display_, "fixed");
  if (font == nullptr) return;  // the window stays, as a blank grey box
  GC gc = xlib_.create_gc(display_, window_, 0, nullptr);
  xlib_.set_font(display_, gc, font->fid);
  xlib_.set_foreground(display_, gc, ColourPixel(xlib_, display_, kTextLevel));
  for (const LabelLayout& label : kProgressLabels) {
    const int length = static_cast<int>(std::strlen(label.text));
    const int text_width = xlib_.text_width(font, label.text, length);
    // Centred in the label's rectangle, drawn from its top, as the Windows labels are.
    const int x = label.x + (label.width - text_width) / 2;
    xlib_.draw_string(display_, window_, gc, x, label.y + font->ascent, label.text, length);
  }
  xlib_.free_gc(display_, gc);
  xlib_.free_font(display_, font);
}

}  // namespace llmbridge

// The progress notice on X11, looked at from a second client as a user's screen would show it.
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would break its templates.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "support/display.h"
#include "ui/open_window_list.h"
#include "ui/progress_labels.h"
#include "ui/progress_window.h"

namespace llmbridge {
namespace {

constexpr unsigned long kFacePixel = 0xF0F0F0;  // RGB 240, 240, 240 on a 24-bit TrueColor screen
constexpr unsigned long kTextPixel = 0x000000;

class ProgressNoticeOnX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::DisplaySet()) GTEST_SKIP() << "no X display: run under xvfb-run";
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr) << "cannot connect to " << std::getenv("DISPLAY");
    root_ = DefaultRootWindow(display_);
  }
  void TearDown() override {
    CloseAllWindows();
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  // Opens the notice as a request does; 0 when none was made.
  static Window OpenNotice() {
    return static_cast<Window>(
        reinterpret_cast<uintptr_t>(OpenProgressWindow(0, 0, 220, 40).window));
  }

  bool IsTopLevel(Window window) {
    XSync(display_, False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display_, root_, &root, &parent, &children, &count) == 0) return false;
    const bool found = std::find(children, children + count, window) != children + count;
    if (children != nullptr) XFree(children);
    return found;
  }

  // Pixels of the window as they are on the screen, left to right, top to bottom.
  std::vector<unsigned long> Pixels(Window window, int x, int y, int width, int height) {
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(display_, window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return pixels;
    for (int row = 0; row < height; ++row) {
      for (int column = 0; column < width; ++column) {
        pixels.push_back(XGetPixel(image, column, row) & 0xFFFFFF);
      }
    }
    XDestroyImage(image);
    return pixels;
  }

  Display* display_ = nullptr;
  Window root_ = 0;
};

TEST_F(ProgressNoticeOnX11, IsABorderlessUnmanagedBoxCentredOnTheScreen) {
  const Window notice = OpenNotice();
  ASSERT_NE(notice, 0u);
  ASSERT_TRUE(IsTopLevel(notice));

  XWindowAttributes attributes{};
  ASSERT_NE(XGetWindowAttributes(display_, notice, &attributes), 0);
  EXPECT_EQ(attributes.width, 220);
  EXPECT_EQ(attributes.height, 40);
  EXPECT_EQ(attributes.border_width, 0);
  EXPECT_TRUE(attributes.override_redirect);
  EXPECT_EQ(attributes.map_state, IsViewable);

  const int screen_width = DisplayWidth(display_, DefaultScreen(display_));
  const int screen_height = DisplayHeight(display_, DefaultScreen(display_));
  int x = -1, y = -1;
  Window child = 0;
  XTranslateCoordinates(display_, notice, root_, 0, 0, &x, &y, &child);
  EXPECT_EQ(x, screen_width >= 220 ? (screen_width - 220) / 2 : 0);
  EXPECT_EQ(y, screen_height >= 40 ? (screen_height - 40) / 2 : 0);
}

TEST_F(ProgressNoticeOnX11, ShowsBothLinesInTextColourOnTheFaceColour) {
  if (DefaultDepth(display_, DefaultScreen(display_)) != 24) {
    GTEST_SKIP() << "the pixel values checked here are those of a 24-bit screen";
  }
  const Window notice = OpenNotice();
  ASSERT_NE(notice, 0u);

  // The edges carry only background: the left margin and the rows below the second line. (The
  // second line is a few pixels wider than its label in X's fixed font and stays centred on it.)
  for (unsigned long pixel : Pixels(notice, 0, 0, 10, 40)) ASSERT_EQ(pixel, kFacePixel);
  for (unsigned long pixel : Pixels(notice, 0, 32, 220, 8)) ASSERT_EQ(pixel, kFacePixel);
  // Each line puts text-coloured pixels inside its own rectangle, and only face colour besides.
  for (const LabelLayout& label : kProgressLabels) {
    const auto pixels = Pixels(notice, label.x, label.y, label.width, label.height);
    ASSERT_FALSE(pixels.empty());
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), kTextPixel), 0) << label.text;
    EXPECT_EQ(std::count_if(pixels.begin(), pixels.end(),
                            [](unsigned long p) { return p != kTextPixel && p != kFacePixel; }),
              0)
        << label.text;
  }
}

TEST_F(ProgressNoticeOnX11, EachRequestOpensItsOwnNoticeAndCloseRemovesIt) {
  for (int request = 0; request < 2; ++request) {
    const Window notice = OpenNotice();
    ASSERT_NE(notice, 0u);
    EXPECT_TRUE(IsTopLevel(notice));
    EXPECT_EQ(OpenWindows().size(), 1u);

    CloseAllWindows();
    EXPECT_FALSE(IsTopLevel(notice)) << "request " << request;
    EXPECT_TRUE(OpenWindows().empty());
  }
}

}  // namespace
}  // namespace llmbridge

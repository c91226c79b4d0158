// Where a window goes so that it sits in the middle of the screen.
#pragma once

#include <cstdint>

namespace llmbridge {

struct ScreenPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// The top-left corner that centres a window of the given size on a screen of the given size.
// A window larger than the screen is placed at 0 on that axis; halves are truncated toward zero.
ScreenPoint CentredOrigin(int32_t screen_width, int32_t screen_height, int32_t width,
                          int32_t height);

}  // namespace llmbridge

// The two lines of the progress window, in the order they are created. Both platforms draw them
// at these rectangles (client coordinates, device pixels), centred horizontally and from the top.
#pragma once

#include <cstdint>

namespace llmbridge {

struct LabelLayout {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
  const char* text;  // plain ASCII, so every platform can take it as it is
};

inline constexpr LabelLayout kProgressLabels[] = {
    {50, 0, 120, 20, "Processing Request...."},
    {20, 15, 180, 15, "(Wait for this window to close)"},
};

}  // namespace llmbridge

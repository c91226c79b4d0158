#include "ui/centring.h"

#include <algorithm>

namespace llmbridge {

namespace {
int32_t CentredOffset(int32_t screen_size, int32_t window_size) {
  return (screen_size - std::min(screen_size, window_size)) / 2;
}
}  // namespace

ScreenPoint CentredOrigin(int32_t screen_width, int32_t screen_height, int32_t width,
                          int32_t height) {
  return {CentredOffset(screen_width, width), CentredOffset(screen_height, height)};
}

}  // namespace llmbridge

#include "ui/centring.h"

#include <gtest/gtest.h>

namespace llmbridge {
namespace {

struct CentringCase {
  int32_t screen_width, screen_height, width, height;
  int32_t x, y;
};

TEST(CentredOrigin, CentresOnTheWholeScreenAndTruncatesHalves) {
  const CentringCase cases[] = {
      {1920, 1080, 220, 40, 850, 520}, {1366, 768, 220, 40, 573, 364},
      {1365, 768, 220, 40, 572, 364},  // an odd remainder loses its half pixel
      {1024, 768, 220, 41, 402, 363},  {220, 40, 220, 40, 0, 0},  // exactly the screen's size
      {200, 30, 220, 40, 0, 0},      // larger than the screen: pinned to the corner
      {219, 1080, 220, 40, 0, 520},  // each axis on its own
  };
  for (const CentringCase& c : cases) {
    const ScreenPoint origin = CentredOrigin(c.screen_width, c.screen_height, c.width, c.height);
    EXPECT_EQ(origin.x, c.x) << c.screen_width << "x" << c.screen_height;
    EXPECT_EQ(origin.y, c.y) << c.screen_width << "x" << c.screen_height;
  }
}

}  // namespace
}  // namespace llmbridge

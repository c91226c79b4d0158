// The progress window on a machine without a display: the request goes on with no window.
#include "ui/progress_window.h"

#include <gtest/gtest.h>

#include "support/display.h"
#include "ui/open_window_list.h"

namespace llmbridge {
namespace {

TEST(ProgressWindowWithoutDisplay, OpenMakesNothingAndLeavesNothingBehind) {
  if (testing::DisplaySet())
    GTEST_SKIP() << "a display is set; the test entry without DISPLAY runs this";
  for (int request = 0; request < 2; ++request) {
    const ProgressWindowHandles made = OpenProgressWindow(0, 0, 220, 40);
    EXPECT_EQ(made.window, nullptr);
    EXPECT_EQ(made.first_label, nullptr);
    EXPECT_EQ(made.second_label, nullptr);
    EXPECT_TRUE(OpenWindows().empty());
    CloseAllWindows();
  }
}

}  // namespace
}  // namespace llmbridge

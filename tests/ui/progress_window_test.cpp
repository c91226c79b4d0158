// The progress window on a machine without a display: the request goes on with no window.
#include "ui/progress_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "state/library_state.h"
#include "ui/open_window_list.h"

namespace llmbridge {
namespace {

bool DisplaySet() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

TEST(ProgressWindowWithoutDisplay, OpenReturnsZeroAndLeavesNothingBehind) {
  if (DisplaySet()) GTEST_SKIP() << "a display is set; the test entry without DISPLAY runs this";
  for (int request = 0; request < 2; ++request) {
    EXPECT_EQ(OpenProgressWindow(0, 0, 220, 40), 0);
    EXPECT_EQ(GetLibraryState().ProgressWindow, nullptr);
    EXPECT_EQ(GetLibraryState().ProgressFirstLabel, nullptr);
    EXPECT_EQ(GetLibraryState().ProgressSecondLabel, nullptr);
    EXPECT_TRUE(OpenWindows().empty());
    CloseAllWindows();
  }
}

}  // namespace
}  // namespace llmbridge

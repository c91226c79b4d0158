#include "ui/open_window_list.h"

#include <gtest/gtest.h>

#include "ui/progress_window.h"

namespace llmbridge {
namespace {

class OpenWindowListTest : public ::testing::Test {
 protected:
  // Entries without a handle: closing them makes no platform call, so this runs anywhere.
  void TearDown() override { CloseAllWindows(); }
};

TEST_F(OpenWindowListTest, NumbersAreUniqueAndEntriesFoundByNumberOrHandle) {
  const int32_t first = EnterOpenWindow();
  const int32_t second = EnterOpenWindow();
  EXPECT_NE(first, second);
  ASSERT_EQ(OpenWindows().size(), 2u);
  EXPECT_EQ(OpenWindows().front().number, first);  // oldest first

  int marker = 0;
  FindOpenWindow(second)->handle = &marker;
  EXPECT_EQ(FindOpenWindowByHandle(&marker), FindOpenWindow(second));
  EXPECT_EQ(FindOpenWindowByHandle(nullptr), nullptr);  // unfinished entries are not matched
  EXPECT_EQ(FindOpenWindow(second + 1000), nullptr);
  // The marker is no window: it must not reach the platform when TearDown closes the list.
  FindOpenWindow(second)->handle = nullptr;
}

TEST_F(OpenWindowListTest, LeavingTwiceOrLeavingAnUnknownNumberIsHarmless) {
  const int32_t first = EnterOpenWindow();
  const int32_t second = EnterOpenWindow();
  LeaveOpenWindowList(first);
  LeaveOpenWindowList(first);
  LeaveOpenWindowList(second + 1000);
  ASSERT_EQ(OpenWindows().size(), 1u);
  EXPECT_EQ(OpenWindows().front().number, second);
}

TEST_F(OpenWindowListTest, CloseAllWindowsEmptiesTheList) {
  EnterOpenWindow();
  EnterOpenWindow();
  CloseAllWindows();
  EXPECT_TRUE(OpenWindows().empty());
  CloseAllWindows();  // nothing open: nothing to do
  EXPECT_TRUE(OpenWindows().empty());
}

}  // namespace
}  // namespace llmbridge

// The progress window on Windows, inspected through the platform as another program would see it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/display.h"
#include "ui/open_window_list.h"
#include "ui/progress_window.h"
#include "ui/window_class_win32.h"

namespace llmbridge {
namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

bool ClassRegistered(const std::wstring& name) {
  WNDCLASSW info{};
  return GetClassInfoW(GetModuleHandleW(nullptr), name.c_str(), &info) != FALSE;
}

RECT RectInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class ProgressWindowOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::DisplaySet()) GTEST_SKIP() << "no display: run under xvfb-run";
    made_ = OpenProgressWindow(0, 0, 220, 40);
    window_ = static_cast<HWND>(made_.window);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { CloseAllWindows(); }

  ProgressWindowHandles made_;
  HWND window_ = nullptr;
};

TEST_F(ProgressWindowOnWindows, IsAVisiblePopupOfItsOwnClassCentredOnThePrimaryScreen) {
  ASSERT_EQ(OpenWindows().size(), 1u);
  EXPECT_EQ(ClassOf(window_), L"WindowClass_" + std::to_wstring(OpenWindows().back().number));
  EXPECT_EQ(TextOf(window_), L"");

  const LONG style = GetWindowLongW(window_, GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE), WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU), 0);
  EXPECT_EQ(GetWindowLongW(window_, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), 0);
  EXPECT_EQ(GetWindow(window_, GW_OWNER), nullptr);

  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  const LONG left = screen_width >= 220 ? (screen_width - 220) / 2 : 0;
  const LONG top = screen_height >= 40 ? (screen_height - 40) / 2 : 0;
  RECT frame{};
  ASSERT_TRUE(GetWindowRect(window_, &frame));
  EXPECT_EQ(frame.left, left);
  EXPECT_EQ(frame.top, top);
  EXPECT_EQ(frame.right - frame.left, 220);
  EXPECT_EQ(frame.bottom - frame.top, 40);
}

// The calling thread pumps no messages while its request runs, so the window and its labels
// must be painted before OpenProgressWindow returns.
TEST_F(ProgressWindowOnWindows, NothingIsLeftToPaintWhenOpeningReturns) {
  EXPECT_FALSE(GetUpdateRect(window_, nullptr, FALSE));
  for (void* label : {made_.first_label, made_.second_label}) {
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(GetUpdateRect(static_cast<HWND>(label), nullptr, FALSE));
  }
}

TEST_F(ProgressWindowOnWindows, CarriesTheTwoStaticLabelsInOrder) {
  struct ExpectedLabel {
    int id;
    RECT rect;
    const wchar_t* text;
  };
  const ExpectedLabel expected[] = {
      {1, {50, 0, 170, 20}, L"Processing Request...."},
      {2, {20, 15, 200, 30}, L"(Wait for this window to close)"},
  };
  HWND labels[] = {static_cast<HWND>(made_.first_label), static_cast<HWND>(made_.second_label)};
  int children = 0;
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ++children;
  }
  EXPECT_EQ(children, 2);

  for (int i = 0; i < 2; ++i) {
    const ExpectedLabel& want = expected[i];
    HWND label = labels[i];
    ASSERT_NE(label, nullptr) << i;
    EXPECT_EQ(GetParent(label), window_);
    EXPECT_EQ(ClassOf(label), L"Static");
    EXPECT_EQ(TextOf(label), want.text);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(label, GWL_STYLE)), 0x50020081u);
    EXPECT_EQ(GetWindowLongW(label, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetDlgCtrlID(label), want.id);
    const RECT rect = RectInParent(label);
    EXPECT_EQ(rect.left, want.rect.left) << i;
    EXPECT_EQ(rect.top, want.rect.top) << i;
    EXPECT_EQ(rect.right, want.rect.right) << i;
    EXPECT_EQ(rect.bottom, want.rect.bottom) << i;
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), ControlFont());
  }
  EXPECT_NE(ControlFont(), nullptr);
}

TEST_F(ProgressWindowOnWindows, CloseRequestsLeaveTheWindowOpen) {
  EXPECT_EQ(SendMessageW(window_, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(ProgressWindowOnWindows, ReactivationGivesTheFocusBackToTheChildThatHadIt) {
  HWND label = static_cast<HWND>(made_.second_label);
  ASSERT_NE(label, nullptr);
  SetFocus(label);
  ASSERT_EQ(GetFocus(), label) << "the window was not activated when shown";
  EXPECT_EQ(SendMessageW(window_, WM_ACTIVATE, WA_INACTIVE, 0), 1);
  SetFocus(window_);
  EXPECT_EQ(SendMessageW(window_, WM_ACTIVATE, WA_ACTIVE, 0), 1);
  EXPECT_EQ(GetFocus(), label);
}

TEST_F(ProgressWindowOnWindows, CloseAllWindowsRemovesWindowLabelsAndClass) {
  const std::wstring class_name = ClassOf(window_);
  HWND label = static_cast<HWND>(made_.first_label);
  ASSERT_TRUE(ClassRegistered(class_name));

  CloseAllWindows();
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_FALSE(IsWindow(label));
  EXPECT_FALSE(ClassRegistered(class_name));
  EXPECT_TRUE(OpenWindows().empty());
}

TEST_F(ProgressWindowOnWindows, EachRequestCreatesAndRemovesItsOwnWindowAndClass) {
  const std::wstring first_class = ClassOf(window_);
  CloseAllWindows();

  HWND second = static_cast<HWND>(OpenProgressWindow(0, 0, 220, 40).window);
  ASSERT_NE(second, nullptr);
  const std::wstring second_class = ClassOf(second);
  EXPECT_NE(second_class, first_class);
  EXPECT_TRUE(ClassRegistered(second_class));
  EXPECT_FALSE(ClassRegistered(first_class));

  CloseAllWindows();
  EXPECT_FALSE(IsWindow(second));
  EXPECT_FALSE(ClassRegistered(second_class));
}

}  // namespace
}  // namespace llmbridge

// What the start-up sequence leaves behind on Windows; the test program has run it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "runtime/event_layer.h"
#include "runtime/graphics_layers.h"
#include "runtime/library_lifecycle.h"
#include "runtime/ole_calls_win32.h"
#include "runtime/private_heaps.h"
#include "runtime/shell_layers.h"
#include "support/display.h"

namespace llmbridge {
namespace {

TEST(StartUpOnWindows, CreatesTheProgramHeapAndTextStorage) {
  EXPECT_TRUE(ProgramHeapExists());
  EXPECT_TRUE(TextStorageExists());
}

TEST(StartUpOnWindows, MakesAHiddenOnePixelPostEventWindow) {
  if (!testing::DisplaySet()) GTEST_SKIP() << "no display: no window can be made";
  HWND window = static_cast<HWND>(PostEventWindow());
  ASSERT_NE(window, nullptr);
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  EXPECT_STREQ(class_name, L"PostEventClass");
  // Message-only, so that broadcasts never wait on the loading thread. Other processes that
  // loaded the library (tests running beside this one) have such a window too.
  HWND message_only = FindWindowExW(HWND_MESSAGE, nullptr, L"PostEventClass", nullptr);
  while (message_only != nullptr && message_only != window)
    message_only = FindWindowExW(HWND_MESSAGE, message_only, L"PostEventClass", nullptr);
  EXPECT_EQ(message_only, window);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  // Asked for 1 by 1; a captioned window is widened to the platform's minimum tracking size.
  EXPECT_GE(rect.right, 1);
  EXPECT_GE(rect.bottom, 1);
  EXPECT_LE(rect.right, std::max(1, GetSystemMetrics(SM_CXMINTRACK)));
  EXPECT_LE(rect.bottom, std::max(1, GetSystemMetrics(SM_CYMINTRACK)));
}

TEST(StartUpOnWindows, RegistersThreeDistinctWindowMessages) {
  // Registered messages live in 0xC000..0xFFFF; the same name always gives the same number.
  for (uint32_t message : {PostEventMessage(), PostEventReplyMessage(), TaskbarCreatedMessage()}) {
    EXPECT_GE(message, 0xC000u);
  }
  EXPECT_NE(PostEventMessage(), PostEventReplyMessage());
  EXPECT_EQ(TaskbarCreatedMessage(), RegisterWindowMessageW(L"TaskbarCreated"));
}

TEST(StartUpOnWindows, ReadsTheDisplaysVerticalResolution) {
  HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
  const int expected = display != nullptr ? GetDeviceCaps(display, LOGPIXELSY) : 96;
  if (display != nullptr) DeleteDC(display);
  EXPECT_EQ(ScreenVerticalResolution(), expected);
}

TEST(StartUpOnWindows, FindsAlphaBlendInMsimg32) {
  HMODULE msimg32 = GetModuleHandleW(L"msimg32.dll");
  ASSERT_NE(msimg32, nullptr) << "start-up keeps msimg32.dll loaded";
  EXPECT_EQ(AlphaBlendAvailable(), GetProcAddress(msimg32, "AlphaBlend") != nullptr);
}

// Stand-ins for the OLE calls: the result start-up gets, and how often shutdown gives back.
HRESULT g_initialize_result = S_OK;
int g_uninitialize_calls = 0;
HRESULT WINAPI FakeOleInitialize(LPVOID) { return g_initialize_result; }
void WINAPI FakeOleUninitialize() { ++g_uninitialize_calls; }

TEST(StartUpOnWindows, OleIsGivenBackOnlyWhenTakenAndOnlyOnTheThreadThatTookIt) {
  struct Case {
    HRESULT initialize_result;
    bool initialized_elsewhere;  // start-up on another thread than shutdown
    int uninitialize_calls;
  };
  const Case cases[] = {
      {S_OK, false, 1},
      {S_FALSE, false, 1},             // already initialised: a reference all the same
      {RPC_E_CHANGED_MODE, false, 0},  // the thread is in the multithreaded apartment
      {S_OK, true, 0},                 // unloaded on a thread of its own: ours stays taken
  };
  const OleCalls real = OleCallSeam();
  OleCallSeam() = OleCalls{FakeOleInitialize, FakeOleUninitialize};
  ShutdownOle();  // start-up's own reference, taken by the real call, stays with this thread
  for (const Case& c : cases) {
    g_initialize_result = c.initialize_result;
    g_uninitialize_calls = 0;
    if (c.initialized_elsewhere)
      std::thread(InitOle).join();
    else
      InitOle();
    ShutdownOle();
    ShutdownOle();  // a second shutdown gives nothing back
    EXPECT_EQ(g_uninitialize_calls, c.uninitialize_calls) << std::hex << c.initialize_result;
  }
  OleCallSeam() = real;
}

// When the process ends, detaching calls into no other DLL: OLE and the windows stay as they are.
TEST(StartUpOnWindows, ProcessExitLeavesOleAndTheWindowsAlone) {
  const OleCalls real = OleCallSeam();
  OleCallSeam() = OleCalls{FakeOleInitialize, FakeOleUninitialize};
  g_uninitialize_calls = 0;
  InitOle();
  DetachLibrary(true);
  EXPECT_EQ(g_uninitialize_calls, 0);
  if (testing::DisplaySet()) EXPECT_TRUE(IsWindow(static_cast<HWND>(PostEventWindow())));
  EXPECT_TRUE(ProgramHeapExists());
  ShutdownOle();
  OleCallSeam() = real;
}

}  // namespace
}  // namespace llmbridge

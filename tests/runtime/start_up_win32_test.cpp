// What the start-up sequence leaves behind on Windows; the test program has run it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

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

// The message-only "PostEventClass" windows of this process: other processes that loaded the
// library (tests running beside this one) have such a window too.
std::vector<HWND> OwnPostEventWindows() {
  std::vector<HWND> windows;
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"PostEventClass", nullptr);
       window != nullptr;
       window = FindWindowExW(HWND_MESSAGE, window, L"PostEventClass", nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) windows.push_back(window);
  }
  return windows;
}

// Message-only, so that broadcasts never wait on the loading thread.
TEST(StartUpOnWindows, MakesAHiddenOnePixelPostEventWindow) {
  if (!testing::DisplaySet()) GTEST_SKIP() << "no display: no window can be made";
  const std::vector<HWND> windows = OwnPostEventWindows();
  ASSERT_EQ(windows.size(), 1u);
  HWND window = windows.front();
  EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
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

TEST(StartUpOnWindows, KeepsMsimg32Loaded) { EXPECT_NE(GetModuleHandleW(L"msimg32.dll"), nullptr); }

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
  if (testing::DisplaySet()) {
    EXPECT_EQ(OwnPostEventWindows().size(), 1u);
  }
  EXPECT_TRUE(ProgramHeapExists());
  ShutdownOle();
  OleCallSeam() = real;
}

}  // namespace
}  // namespace llmbridge

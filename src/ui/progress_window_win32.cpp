// The progress window on Windows: a WS_POPUP window of its own class with two static labels.
#include <windows.h>

#include <string>

#include "base/module_instance_win32.h"
#include "ui/centring.h"
#include "ui/open_window_list.h"
#include "ui/progress_labels.h"
#include "ui/progress_window.h"
#include "ui/window_class_win32.h"

namespace llmbridge {

namespace {

// WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX | SS_CENTER.
constexpr DWORD kLabelStyle = 0x50020081;
constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

void CentreOnPrimaryScreen(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  // The whole primary screen, docked bars included.
  const ScreenPoint origin =
      CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                    frame.right - frame.left, frame.bottom - frame.top);
  SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0, kMoveOnly);
}

// Null when it cannot be made, for instance for want of a parent.
HWND CreateLabel(HWND parent, const LabelLayout& layout, int control_id) {
  const std::string narrow = layout.text;
  const std::wstring text(narrow.begin(), narrow.end());  // ASCII widens unchanged
  HWND label = CreateWindowExW(0, L"Static", text.c_str(), kLabelStyle, layout.x, layout.y,
                               layout.width, layout.height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                               LibraryInstance(), nullptr);
  if (label != nullptr) {
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), TRUE);
  }
  return label;
}

}  // namespace

ProgressWindowHandles OpenProgressWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
  const int32_t number = EnterOpenWindow();
  RegisterWindowClass(number);

  RECT outer{0, 0, width, height};
  AdjustWindowRectEx(&outer, WS_POPUP, FALSE, 0);
  HWND window = CreateWindowExW(0, WindowClassName(number).c_str(), L"", WS_POPUP, x, y,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                nullptr, LibraryInstance(), nullptr);
  ProgressWindowHandles made;
  made.window = window;
  if (window == nullptr) {
    UnregisterWindowClass(number);
    LeaveOpenWindowList(number);
  } else {
    FindOpenWindow(number)->handle = window;
    CentreOnPrimaryScreen(window);
    ShowWindow(window, SW_SHOWNORMAL);
  }

  // The labels take their own numbers as control identifiers; without a window they fail.
  void** label_slots[] = {&made.first_label, &made.second_label};
  int control_id = 1;
  for (const LabelLayout& layout : kProgressLabels) {
    *label_slots[control_id - 1] = CreateLabel(window, layout, control_id);
    ++control_id;
  }
  // The calling thread pumps no messages while the request blocks: paint the window and its
  // labels now, or they stay blank until the call returns.
  if (window != nullptr) RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return made;
}

}  // namespace llmbridge

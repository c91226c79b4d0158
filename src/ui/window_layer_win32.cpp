// The Windows window layer: class defaults, the layer's window procedure and window destruction.
#include <windows.h>

#include <cwchar>

#include "base/module_instance_win32.h"
#include "base/window_class_registration_win32.h"
#include "ui/open_window_list.h"
#include "ui/window_class_win32.h"
#include "ui/window_layer.h"
#include "ui/window_platform.h"

namespace llmbridge {

namespace {

// Resource 1 of the module, which the library does not carry: the icon is normally null.
HICON g_class_icon = nullptr;
HCURSOR g_class_cursor = nullptr;

// Hides the focus rectangle and the accelerator underlines (UIS_SET of both flags).
constexpr WPARAM kHideFocusAndAccelerators = 0x30001;

void OnActivate(HWND window, WPARAM state) {
  OpenWindow* entry = FindOpenWindowByHandle(window);
  if (entry == nullptr) return;
  if (LOWORD(state) == WA_INACTIVE) {
    HWND focus = GetFocus();
    entry->focused_child = (focus != nullptr && IsChild(window, focus)) ? focus : nullptr;
    SendMessageW(window, WM_UPDATEUISTATE, kHideFocusAndAccelerators, 0);
  } else if (entry->focused_child != nullptr) {
    SetFocus(static_cast<HWND>(entry->focused_child));
  }
}

void OnFinalDestroy(HWND window) {
  OpenWindow* entry = FindOpenWindowByHandle(window);
  if (entry == nullptr) return;  // a window whose creation failed: OpenProgressWindow cleans up
  const int32_t number = entry->number;
  LeaveOpenWindowList(number);
  UnregisterWindowClass(number);
}

// WM_ERASEBKGND and WM_CTLCOLORSTATIC go to the default handling on purpose: the class brush
// paints the 3-D face colour and the labels take the system text colour. Nothing here allocates,
// so nothing can be thrown into the system's message dispatch.
LRESULT CALLBACK LayerWindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:  // only CloseAllWindows closes the library's windows
      return 0;
    case WM_ACTIVATE:
      OnActivate(window, wparam);
      return 1;
    case WM_NCDESTROY:
      OnFinalDestroy(window);
      return 1;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

WindowClassName::WindowClassName(int32_t number) {
  swprintf(text_, sizeof(text_) / sizeof(text_[0]), L"WindowClass_%d", static_cast<int>(number));
}

void RegisterWindowClass(int32_t number) {
  RegisterLibraryWindowClass(WindowClassName(number).c_str(), LayerWindowProcedure, g_class_icon,
                             g_class_cursor);
}

void UnregisterWindowClass(int32_t number) {
  UnregisterClassW(WindowClassName(number).c_str(), LibraryInstance());
}

void InitWindowLayer() {
  g_class_icon = LoadIconW(LibraryInstance(), MAKEINTRESOURCEW(1));
  // IDC_ARROW, spelt for the wide function: the headers give the narrow form without UNICODE.
  g_class_cursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
}

namespace platform {

void DestroyTopLevelWindow(const OpenWindow& window) {
  HWND handle = static_cast<HWND>(window.handle);
  if (handle == nullptr) return;
  HWND owner = GetWindow(handle, GW_OWNER);
  if (owner != nullptr) SetActiveWindow(owner);
  DestroyWindow(handle);
  // The window procedure unregisters the class at WM_NCDESTROY, but Wine still counts the window
  // as a member of its class at that point and refuses; once DestroyWindow returns it cannot.
  UnregisterWindowClass(window.number);
}

void ReleaseWindowDefaults() {
  if (g_class_icon != nullptr) DestroyIcon(g_class_icon);
  g_class_icon = nullptr;
  g_class_cursor = nullptr;  // a shared system cursor: never destroyed
}

}  // namespace platform

}  // namespace llmbridge

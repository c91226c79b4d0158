// The shell layers on Windows: Shell_NotifyIcon icons, menus and OLE.
#include <windows.h>
// clang-format off: these need windows.h first
#include <ole2.h>
#include <shellapi.h>
// clang-format on

#include "base/handle_registry.h"
#include "runtime/ole_calls_win32.h"
#include "runtime/shell_layers.h"

namespace llmbridge {

namespace {

struct TrayIcon {
  HWND window;
  UINT id;
  HICON icon;
  const wchar_t* property;  // the window property that links the icon to its window
};

struct Menu {
  HWND window;  // the window it is attached to, or null
  HMENU menu;
  HANDLE item_heap;  // a private heap for its items, or null
};

// The menu layer's process-wide state: which menu, if any, is being tracked.
struct MenuState {
  HMENU tracked = nullptr;
};

void RemoveTrayIcon(TrayIcon& tray_icon) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);  // the full record: 956 bytes in 32-bit code
  data.hWnd = tray_icon.window;
  data.uID = tray_icon.id;
  Shell_NotifyIconW(NIM_DELETE, &data);
  if (tray_icon.icon != nullptr) DestroyIcon(tray_icon.icon);
  RemovePropW(tray_icon.window, tray_icon.property);
}

void DestroyMenuEntry(Menu& menu) {
  if (menu.window != nullptr) SetMenu(menu.window, nullptr);
  DestroyMenu(menu.menu);
  if (menu.item_heap != nullptr) HeapDestroy(menu.item_heap);
}

HandleRegistry<TrayIcon> g_tray_icons(RemoveTrayIcon);
// Menus are never released: those still there at unload stay until the process ends.
HandleRegistry<Menu>* g_menus = nullptr;
MenuState g_menu_state;
UINT g_taskbar_created = 0;
// The thread whose OLE start-up succeeded and must be balanced; 0 (no thread has that id) when
// start-up initialised nothing.
DWORD g_ole_thread = 0;

}  // namespace

void InitTrayIcons() { g_taskbar_created = RegisterWindowMessageW(L"TaskbarCreated"); }

void InitMenus() {
  if (g_menus == nullptr) g_menus = new HandleRegistry<Menu>(DestroyMenuEntry);
  g_menu_state = MenuState{};
}

OleCalls& OleCallSeam() {
  static OleCalls calls{OleInitialize, OleUninitialize};
  return calls;
}

// S_OK and S_FALSE each take a reference that shutdown gives back. A thread already in the
// multithreaded apartment keeps it (RPC_E_CHANGED_MODE) and gets no reference from us.
void InitOle() {
  g_ole_thread = SUCCEEDED(OleCallSeam().initialize(nullptr)) ? GetCurrentThreadId() : 0;
}

// Only on the thread that start-up initialised: on any other thread OleUninitialize would give
// back one of that thread's own references. Unloaded elsewhere, the loading thread keeps ours.
void ShutdownOle() {
  if (g_ole_thread != 0 && g_ole_thread == GetCurrentThreadId()) OleCallSeam().uninitialize();
  g_ole_thread = 0;
}

void ReleaseAllTrayIcons() { g_tray_icons.ReleaseAll(); }

uint32_t TaskbarCreatedMessage() { return g_taskbar_created; }

}  // namespace llmbridge

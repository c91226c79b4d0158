#include <windows.h>

#include "base/module_instance_win32.h"
#include "base/window_class_registration_win32.h"
#include "runtime/event_layer.h"

namespace llmbridge {

namespace {

constexpr wchar_t kClassName[] = L"PostEventClass";

// Owned by the loading thread, which alone can destroy it.
HWND g_window = nullptr;

}  // namespace

void InitEventLayer() {
  RegisterLibraryWindowClass(kClassName, DefWindowProcW, nullptr, nullptr);
  // Never shown: WS_CAPTION without WS_VISIBLE. Message-only: a top-level window would make
  // every broadcast SendMessage wait on the loading thread, which may never pump messages.
  g_window = CreateWindowExW(0, kClassName, L"", WS_CAPTION, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                             LibraryInstance(), nullptr);
  RegisterWindowMessageW(L"llmbridge.PostEvent");
  RegisterWindowMessageW(L"llmbridge.PostEventReply");
}

void ShutdownEventLayer() {
  if (g_window != nullptr) DestroyWindow(g_window);
  g_window = nullptr;
  UnregisterClassW(kClassName, LibraryInstance());
}

}  // namespace llmbridge

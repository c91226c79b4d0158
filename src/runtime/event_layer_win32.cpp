#include <windows.h>

#include "base/event_queue.h"
#include "base/module_instance_win32.h"
#include "runtime/event_layer.h"

namespace llmbridge {

namespace {

constexpr wchar_t kClassName[] = L"PostEventClass";

// Owned by the loading thread, which alone can destroy it.
HWND g_window = nullptr;
UINT g_post_message = 0;
UINT g_reply_message = 0;

}  // namespace

void InitEventLayer() {
  WNDCLASSW window_class{};
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = LibraryInstance();
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  window_class.lpszClassName = kClassName;
  RegisterClassW(&window_class);
  // Never shown: WS_CAPTION without WS_VISIBLE. Message-only: a top-level window would make
  // every broadcast SendMessage wait on the loading thread, which may never pump messages.
  g_window = CreateWindowExW(0, kClassName, L"", WS_CAPTION, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                             LibraryInstance(), nullptr);
  g_post_message = RegisterWindowMessageW(L"llmbridge.PostEvent");
  g_reply_message = RegisterWindowMessageW(L"llmbridge.PostEventReply");
  CreateEventQueue();
}

void ShutdownEventLayer() {
  if (g_window != nullptr) DestroyWindow(g_window);
  g_window = nullptr;
  UnregisterClassW(kClassName, LibraryInstance());
  DropEventQueue();
}

void* PostEventWindow() { return g_window; }
uint32_t PostEventMessage() { return g_post_message; }
uint32_t PostEventReplyMessage() { return g_reply_message; }

}  // namespace llmbridge

#include <windows.h>
// clang-format off: needs windows.h first
#include <ole2.h>
// clang-format on

#include "runtime/ole_calls_win32.h"
#include "runtime/shell_layers.h"

namespace llmbridge {

namespace {
// The thread whose OLE start-up succeeded and must be balanced; 0 (no thread has that id) when
// start-up initialised nothing.
DWORD g_ole_thread = 0;
}  // namespace

void RegisterTaskbarMessage() { RegisterWindowMessageW(L"TaskbarCreated"); }

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

}  // namespace llmbridge

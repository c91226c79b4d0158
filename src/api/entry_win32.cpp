// The DLL's entry function: start-up on process attach, shutdown on process detach.
#include <windows.h>

#include "base/module_handle.h"
#include "runtime/library_lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      llmbridge::RecordModuleHandle(instance);
      llmbridge::StartLibrary();
      break;
    case DLL_PROCESS_DETACH:
      llmbridge::StopLibrary();
      break;
    default:  // thread attach and detach: nothing to do
      break;
  }
  return TRUE;
}

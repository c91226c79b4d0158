// The DLL's entry function: start-up on process attach, shutdown when FreeLibrary unloads it.
#include <windows.h>

#include "base/module_handle.h"
#include "runtime/library_lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      llmbridge::RecordModuleHandle(instance);
      llmbridge::StartLibrary();
      break;
    case DLL_PROCESS_DETACH:
      // `reserved` is null for FreeLibrary and set when the process is ending.
      llmbridge::DetachLibrary(reserved != nullptr);
      break;
    default:  // thread attach and detach: nothing to do
      break;
  }
  return TRUE;
}

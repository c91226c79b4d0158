#include <windows.h>

#include <new>

#include "base/library_thread.h"

namespace llmbridge {

namespace {

struct ThreadStart {
  void (*work)(void*);
  void* argument;
  HMODULE module;  // the reference the thread gives back as it ends
};

DWORD WINAPI RunLibraryThread(void* start_pointer) {
  const ThreadStart start = *static_cast<ThreadStart*>(start_pointer);
  delete static_cast<ThreadStart*>(start_pointer);
  start.work(start.argument);
  // Returning would run code of a library whose last reference may be this one.
  FreeLibraryAndExitThread(start.module, 0);
}

}  // namespace

bool StartLibraryThread(void (*work)(void*), void* argument) {
  HMODULE module = nullptr;
  // A new reference to whichever module holds this code: the DLL, or a program linking it in.
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&StartLibraryThread), &module)) {
    return false;
  }
  auto* start = new (std::nothrow) ThreadStart{work, argument, module};
  HANDLE thread = start == nullptr
                      ? nullptr
                      : CreateThread(nullptr, kLibraryThreadStackBytes, RunLibraryThread, start,
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) {
    delete start;
    FreeLibrary(module);
    return false;
  }
  CloseHandle(thread);
  return true;
}

}  // namespace llmbridge

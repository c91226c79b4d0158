// The instance handle that owns the library's window classes.
#pragma once

#include <windows.h>

#include "base/module_handle.h"

namespace llmbridge {

// The DLL's own handle once loaded; programs that link the library statically (the tests) have
// none recorded and use their executable's.
inline HINSTANCE LibraryInstance() {
  void* module = ModuleHandle();
  return module != nullptr ? static_cast<HINSTANCE>(module) : GetModuleHandleW(nullptr);
}

}  // namespace llmbridge

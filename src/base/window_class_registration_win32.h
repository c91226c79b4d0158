// Every window class of the library is registered alike: owned by the library's module, double
// clicks reported, the 3-D face colour as background.
#pragma once

#include <windows.h>

#include "base/module_instance_win32.h"

namespace llmbridge {

// Null `icon` or `cursor`: the class has none. Failure (the name is taken) is not reported.
inline void RegisterLibraryWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon,
                                       HCURSOR cursor) {
  WNDCLASSW window_class{};
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = LibraryInstance();
  window_class.hIcon = icon;
  window_class.hCursor = cursor;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  window_class.lpszClassName = name;
  RegisterClassW(&window_class);
}

}  // namespace llmbridge

// The two OLE calls start-up and shutdown make, behind a seam: a test replaces them to see how
// often, and on which thread, they are made. Wine hides an unbalanced OleUninitialize.
#pragma once

#include <windows.h>

namespace llmbridge {

struct OleCalls {
  HRESULT(WINAPI* initialize)(LPVOID reserved);
  void(WINAPI* uninitialize)();
};

// OleInitialize and OleUninitialize unless a test put others in.
OleCalls& OleCallSeam();

}  // namespace llmbridge

// The library's private heaps of the platform (the program, string and block heaps) are all made
// and destroyed alike.
#pragma once

#include <windows.h>

namespace llmbridge {

// Options 0 (access serialised by the platform, failure reported by a null result), one page
// committed, no maximum size. Null when the platform could not make it.
inline HANDLE NewPrivateHeap() { return HeapCreate(0, 4096, 0); }

// Destroys `heap` with every block in it, unless it is null; `heap` is null afterwards.
inline void DeletePrivateHeap(HANDLE& heap) {
  if (heap != nullptr) HeapDestroy(heap);
  heap = nullptr;
}

}  // namespace llmbridge

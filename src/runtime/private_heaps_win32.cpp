#include <windows.h>

#include "runtime/private_heaps.h"

namespace llmbridge {

namespace {

// Options 0 (serialised, null on failure), one page committed, no maximum. A heap that cannot
// be created stays null: everything that would use it does without.
HANDLE NewPrivateHeap() { return HeapCreate(0, 4096, 0); }

void DestroyHeap(HANDLE& heap) {
  if (heap != nullptr) HeapDestroy(heap);
  heap = nullptr;
}

constexpr SIZE_T kTemporaryTextCapacity = 16;

HANDLE g_program_heap = nullptr;
HANDLE g_string_heap = nullptr;
void* g_temporary_text = nullptr;  // in g_string_heap; position 0, so it reads as empty

}  // namespace

void CreateProgramHeap() { g_program_heap = NewPrivateHeap(); }

void DestroyProgramHeap() { DestroyHeap(g_program_heap); }

void CreateTextStorage() {
  g_string_heap = NewPrivateHeap();
  if (g_string_heap != nullptr) {
    g_temporary_text = HeapAlloc(g_string_heap, HEAP_ZERO_MEMORY, kTemporaryTextCapacity);
  }
}

void DestroyTextStorage() {
  if (g_temporary_text != nullptr) HeapFree(g_string_heap, 0, g_temporary_text);
  g_temporary_text = nullptr;
  DestroyHeap(g_string_heap);
}

bool ProgramHeapExists() { return g_program_heap != nullptr; }

bool TextStorageExists() { return g_string_heap != nullptr && g_temporary_text != nullptr; }

}  // namespace llmbridge

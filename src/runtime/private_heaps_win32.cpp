#include <windows.h>

#include "base/private_heap_win32.h"
#include "runtime/private_heaps.h"

namespace llmbridge {

namespace {

constexpr SIZE_T kTemporaryTextCapacity = 16;

// A heap that could not be created stays null: everything that would use it does without.
HANDLE g_program_heap = nullptr;
HANDLE g_string_heap = nullptr;
void* g_temporary_text = nullptr;  // in g_string_heap; position 0, so it reads as empty

}  // namespace

void CreateProgramHeap() { g_program_heap = NewPrivateHeap(); }

void DestroyProgramHeap() { DeletePrivateHeap(g_program_heap); }

void CreateTextStorage() {
  g_string_heap = NewPrivateHeap();
  if (g_string_heap != nullptr) {
    g_temporary_text = HeapAlloc(g_string_heap, HEAP_ZERO_MEMORY, kTemporaryTextCapacity);
  }
}

void DestroyTextStorage() {
  if (g_temporary_text != nullptr) HeapFree(g_string_heap, 0, g_temporary_text);
  g_temporary_text = nullptr;
  DeletePrivateHeap(g_string_heap);
}

bool ProgramHeapExists() { return g_program_heap != nullptr; }

bool TextStorageExists() { return g_string_heap != nullptr && g_temporary_text != nullptr; }

}  // namespace llmbridge

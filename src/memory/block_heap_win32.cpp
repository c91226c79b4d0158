#include <windows.h>

#include "base/private_heap_win32.h"
#include "memory/block_heap_platform.h"

namespace llmbridge::platform {

namespace {
HANDLE g_heap = nullptr;
}  // namespace

bool CreatePrivateHeap() {
  if (g_heap == nullptr) g_heap = NewPrivateHeap();
  return g_heap != nullptr;
}

void DestroyPrivateHeap() { DeletePrivateHeap(g_heap); }

void* HeapAllocate(size_t size, bool zeroed) {
  if (g_heap == nullptr) return nullptr;
  return HeapAlloc(g_heap, zeroed ? HEAP_ZERO_MEMORY : 0, size);
}

void* HeapReallocate(void* block, size_t size, bool zero_growth) {
  if (g_heap == nullptr) return nullptr;
  return HeapReAlloc(g_heap, zero_growth ? HEAP_ZERO_MEMORY : 0, block, size);
}

bool HeapRelease(void* block) { return g_heap != nullptr && HeapFree(g_heap, 0, block) != FALSE; }

size_t HeapBlockSize(const void* block) {
  if (g_heap == nullptr) return 0;
  const SIZE_T size = HeapSize(g_heap, 0, block);
  return size == static_cast<SIZE_T>(-1) ? 0 : size;
}

}  // namespace llmbridge::platform

#include "memory/block_heap.h"

#include "memory/allocation_failure.h"
#include "memory/block_heap_platform.h"

namespace llmbridge {

bool CreateBlockHeap() { return platform::CreatePrivateHeap(); }

void DestroyBlockHeap() { platform::DestroyPrivateHeap(); }

void* AllocateBlock(int32_t size, uint32_t flags) {
  if (size <= 0 || !AllocationMayProceed()) return nullptr;
  return platform::HeapAllocate(static_cast<size_t>(size), (flags & kBlockUninitialized) == 0);
}

void* AllocateZeroedBlock(int32_t size) { return AllocateBlock(size, 0); }

void* ReallocateBlock(void* block, int32_t size, uint32_t flags) {
  if (size <= 0) return nullptr;
  if (block == nullptr) return AllocateBlock(size, flags);
  if (!AllocationMayProceed()) return nullptr;
  return platform::HeapReallocate(block, static_cast<size_t>(size),
                                  (flags & kBlockUninitialized) == 0);
}

void* ReallocateZeroedBlock(void* block, int32_t size) { return ReallocateBlock(block, size, 0); }

bool FreeBlock(void* block) {
  if (block == nullptr) return true;
  return platform::HeapRelease(block);
}

int32_t BlockSize(const void* block) {
  if (block == nullptr) return 0;
  return static_cast<int32_t>(platform::HeapBlockSize(block));
}

}  // namespace llmbridge

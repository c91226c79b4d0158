// The platform half of the BlockHeap: a private heap of the operating system (Windows) or our own
// (elsewhere). Sizes are checked by the caller: every size passed here is positive.
#pragma once

#include <cstddef>

namespace llmbridge::platform {

bool CreatePrivateHeap();
void DestroyPrivateHeap();
void* HeapAllocate(size_t size, bool zeroed);
void* HeapReallocate(void* block, size_t size, bool zero_growth);
bool HeapRelease(void* block);
size_t HeapBlockSize(const void* block);

}  // namespace llmbridge::platform

// The BlockHeap: the library's private heap of raw blocks. It holds every buffer handed to the
// host and the transport's receive buffers. Destroying it releases every block at once, which is
// the only way a returned buffer is ever released.
#pragma once

#include <cstdint>

namespace llmbridge {

// Flag bit 0 of the allocating operations: leave the contents (or the growth) uninitialised.
constexpr uint32_t kBlockUninitialized = 1;

// Creates the heap; the block operations below work on it until DestroyBlockHeap.
// Returns false when the platform cannot create it (every allocation then returns null).
bool CreateBlockHeap();
void DestroyBlockHeap();

// Every allocating operation returns null, touching no block, for a size of 0 or less, and null
// when the heap has no room; a failed reallocation leaves the old block valid and unchanged.
void* AllocateBlock(int32_t size, uint32_t flags);
void* AllocateZeroedBlock(int32_t size);
void* ReallocateBlock(void* block, int32_t size, uint32_t flags);  // null block: allocates
void* ReallocateZeroedBlock(void* block, int32_t size);            // growth zero-filled
bool FreeBlock(void* block);                                       // null block: no effect
int32_t BlockSize(const void* block);                              // null block: 0

}  // namespace llmbridge

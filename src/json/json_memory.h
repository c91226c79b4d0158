// Raw storage for JSON documents. Every allocation a parse makes goes through here, so that a
// test can make any one of them fail and check that the parser recovers.
#pragma once

#include <cstddef>
#include <mutex>

#include "memory/allocation_failure.h"

namespace llmbridge {

// The storage below and the slot table are shared by every thread that parses (the exports and a
// live exchange's thread): a parse, and anything else that takes or frees documents, holds this.
std::mutex& JsonStorageLock();

// Returns `bytes` of uninitialised storage, or null when none can be had (never throws).
void* JsonAllocate(size_t bytes);

// Resizes storage from JsonAllocate to `bytes`, keeping its contents; null when that cannot be
// done, in which case `block` is left as it was (never throws).
void* JsonReallocate(void* block, size_t bytes);

// Releases storage from JsonAllocate; null is ignored.
void JsonFree(void* block);

// For storage carved from a block already held: counts as an allocation for the test hook below,
// so that each carve can be made to fail like a block of its own. False for the one made to fail.
// Inline: a parse carves once per string and key.
inline bool JsonAllocationMayProceed() { return AllocationMayProceed(); }

// The same for the documents' arena chunks, which come from a reserve that keeps the blocks given
// back for the next parse (see block_reserve.h).
void* JsonAllocateBlock(size_t bytes);
void JsonFreeBlock(void* block);

// Returns the blocks the reserve keeps to the C library; called when the library stops.
void ReleaseKeptJsonBlocks();

// Test hook: the `nth` allocation from now on (1 = the next one) fails; 0 turns failures off.
// The library itself never calls this. The count is shared with the library's other allocations
// (see allocation_failure.h).
void SetJsonAllocationFailure(unsigned long nth);

// Test hook: how many blocks from JsonAllocate, JsonReallocate and JsonAllocateBlock are not yet
// freed, so a test can see that a document freed all it took.
size_t HeldJsonAllocations();

}  // namespace llmbridge

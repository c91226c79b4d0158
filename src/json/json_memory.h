// Raw storage for JSON documents. Every allocation a parse makes goes through here, so that a
// test can make any one of them fail and check that the parser recovers.
#pragma once

#include <cstddef>

namespace llmbridge {

// Returns `bytes` of uninitialised storage, or null when none can be had (never throws).
void* JsonAllocate(size_t bytes);

// Resizes storage from JsonAllocate to `bytes`, keeping its contents; null when that cannot be
// done, in which case `block` is left as it was (never throws).
void* JsonReallocate(void* block, size_t bytes);

// Releases storage from JsonAllocate; null is ignored.
void JsonFree(void* block);

// Test hook: the `nth` allocation from now on (1 = the next one) fails; 0 turns failures off.
// The library itself never calls this.
void SetJsonAllocationFailure(unsigned long nth);

}  // namespace llmbridge

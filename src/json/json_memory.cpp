#include "json/json_memory.h"

#include <cstdlib>

#include "json/block_reserve.h"

namespace llmbridge {
namespace {

// Allocations left until the one that is made to fail; 0 when none is.
unsigned long g_allocations_until_failure = 0;

BlockReserve g_block_reserve;

bool AllocationMayProceed() {
  return g_allocations_until_failure == 0 || --g_allocations_until_failure != 0;
}

}  // namespace

void* JsonAllocate(size_t bytes) {
  return AllocationMayProceed() ? std::malloc(bytes == 0 ? 1 : bytes) : nullptr;
}

void* JsonReallocate(void* block, size_t bytes) {
  return AllocationMayProceed() ? std::realloc(block, bytes == 0 ? 1 : bytes) : nullptr;
}

void JsonFree(void* block) { std::free(block); }

void* JsonAllocateBlock(size_t bytes) {
  return AllocationMayProceed() ? g_block_reserve.Take(bytes == 0 ? 1 : bytes) : nullptr;
}

void JsonFreeBlock(void* block) { g_block_reserve.GiveBack(block); }

void ReleaseKeptJsonBlocks() { g_block_reserve.Release(); }

void SetJsonAllocationFailure(unsigned long nth) { g_allocations_until_failure = nth; }

}  // namespace llmbridge

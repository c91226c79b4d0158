#include "json/json_memory.h"

#include <cstdlib>

namespace llmbridge {
namespace {

// Allocations left until the one that is made to fail; 0 when none is.
unsigned long g_allocations_until_failure = 0;

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

void SetJsonAllocationFailure(unsigned long nth) { g_allocations_until_failure = nth; }

}  // namespace llmbridge

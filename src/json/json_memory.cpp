#include "json/json_memory.h"

#include <cstdlib>

namespace llmbridge {
namespace {

// Allocations left until the one that is made to fail; 0 when none is.
unsigned long g_allocations_until_failure = 0;

}  // namespace

void* JsonAllocate(size_t bytes) {
  if (g_allocations_until_failure != 0 && --g_allocations_until_failure == 0) return nullptr;
  return std::malloc(bytes == 0 ? 1 : bytes);
}

void JsonFree(void* block) { std::free(block); }

void SetJsonAllocationFailure(unsigned long nth) { g_allocations_until_failure = nth; }

}  // namespace llmbridge

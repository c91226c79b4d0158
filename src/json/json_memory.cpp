#include "json/json_memory.h"

#include <cstdlib>

#include "json/block_reserve.h"

namespace llmbridge {

namespace {

size_t g_held_allocations = 0;

// What the arena of a usual answer takes, a chat answer or a model list of some thousands, so
// that the next call finds its chunks; a larger answer's chunks beyond it go back at once.
constexpr size_t kMostKeptBlockBytes = size_t{4} << 20;

BlockReserve g_block_reserve(kMostKeptBlockBytes);

// Counts `block` as held when it is new storage.
void* Held(void* block) {
  if (block != nullptr) ++g_held_allocations;
  return block;
}

void Released(void* block) {
  if (block != nullptr) --g_held_allocations;
}

}  // namespace

std::mutex& JsonStorageLock() {
  static std::mutex lock;  // constant-initialised: ready whichever thread parses first
  return lock;
}

void* JsonAllocate(size_t bytes) {
  return JsonAllocationMayProceed() ? Held(std::malloc(bytes == 0 ? 1 : bytes)) : nullptr;
}

void* JsonReallocate(void* block, size_t bytes) {
  if (!JsonAllocationMayProceed()) return nullptr;
  void* resized = std::realloc(block, bytes == 0 ? 1 : bytes);
  return block == nullptr ? Held(resized) : resized;
}

void JsonFree(void* block) {
  Released(block);
  std::free(block);
}

void* JsonAllocateBlock(size_t bytes) {
  return JsonAllocationMayProceed() ? Held(g_block_reserve.Take(bytes == 0 ? 1 : bytes)) : nullptr;
}

void JsonFreeBlock(void* block) {
  Released(block);
  g_block_reserve.GiveBack(block);
}

void ReleaseKeptJsonBlocks() { g_block_reserve.Release(); }

void SetJsonAllocationFailure(unsigned long nth) { SetAllocationFailure(nth); }

size_t HeldJsonAllocations() { return g_held_allocations; }

}  // namespace llmbridge

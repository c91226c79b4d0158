// A private heap on top of malloc: every block carries a header that links it into the heap's
// list, so destroying the heap can release all blocks at once and BlockSize is exact.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "base/intrusive_list.h"
#include "memory/block_heap_platform.h"

namespace llmbridge::platform {

namespace {

struct alignas(std::max_align_t) BlockHeader {
  ListLinks<BlockHeader> links;
  size_t size;
};

struct PrivateHeap {
  std::mutex lock;  // the platform heap serialises its callers; so does this one
  IntrusiveList<BlockHeader> blocks;
  bool created = false;
};

PrivateHeap g_heap;

BlockHeader* HeaderOf(const void* block) {
  return static_cast<BlockHeader*>(const_cast<void*>(block)) - 1;
}

bool FitsWithHeader(size_t size) { return size <= SIZE_MAX - sizeof(BlockHeader); }

}  // namespace

bool CreatePrivateHeap() {
  std::lock_guard<std::mutex> guard(g_heap.lock);
  g_heap.created = true;
  return true;
}

void DestroyPrivateHeap() {
  std::lock_guard<std::mutex> guard(g_heap.lock);
  while (BlockHeader* header = g_heap.blocks.front()) {
    g_heap.blocks.Remove(header);
    std::free(header);
  }
  g_heap.created = false;
}

void* HeapAllocate(size_t size, bool zeroed) {
  if (!FitsWithHeader(size)) return nullptr;
  std::lock_guard<std::mutex> guard(g_heap.lock);
  if (!g_heap.created) return nullptr;
  void* memory =
      zeroed ? std::calloc(1, sizeof(BlockHeader) + size) : std::malloc(sizeof(BlockHeader) + size);
  if (memory == nullptr) return nullptr;
  auto* header = static_cast<BlockHeader*>(memory);
  header->size = size;
  g_heap.blocks.PushFront(header);
  return header + 1;
}

void* HeapReallocate(void* block, size_t size, bool zero_growth) {
  if (!FitsWithHeader(size)) return nullptr;
  std::lock_guard<std::mutex> guard(g_heap.lock);
  if (!g_heap.created) return nullptr;
  BlockHeader* header = HeaderOf(block);
  const size_t old_size = header->size;
  g_heap.blocks.Remove(header);
  void* memory = std::realloc(header, sizeof(BlockHeader) + size);
  if (memory == nullptr) {
    g_heap.blocks.PushFront(header);  // realloc left the old block in place
    return nullptr;
  }
  header = static_cast<BlockHeader*>(memory);
  header->size = size;
  g_heap.blocks.PushFront(header);
  if (zero_growth && size > old_size) {
    std::memset(reinterpret_cast<char*>(header + 1) + old_size, 0, size - old_size);
  }
  return header + 1;
}

bool HeapRelease(void* block) {
  std::lock_guard<std::mutex> guard(g_heap.lock);
  if (!g_heap.created) return false;
  BlockHeader* header = HeaderOf(block);
  g_heap.blocks.Remove(header);
  std::free(header);
  return true;
}

size_t HeapBlockSize(const void* block) {
  std::lock_guard<std::mutex> guard(g_heap.lock);
  return HeaderOf(block)->size;
}

}  // namespace llmbridge::platform

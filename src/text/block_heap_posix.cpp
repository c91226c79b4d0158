// A private heap on top of malloc: every block carries a header that links it into the heap's
// list, so destroying the heap can release all blocks at once and BlockSize is exact.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "text/block_heap_platform.h"

namespace llmbridge::platform {

namespace {

struct alignas(std::max_align_t) BlockHeader {
  BlockHeader* prev;
  BlockHeader* next;
  size_t size;
};

struct PrivateHeap {
  std::mutex lock;  // the platform heap serialises its callers; so does this one
  BlockHeader* first = nullptr;
  bool created = false;
};

PrivateHeap g_heap;

BlockHeader* HeaderOf(const void* block) {
  return static_cast<BlockHeader*>(const_cast<void*>(block)) - 1;
}

void Link(BlockHeader* header) {
  header->prev = nullptr;
  header->next = g_heap.first;
  if (g_heap.first != nullptr) g_heap.first->prev = header;
  g_heap.first = header;
}

void Unlink(BlockHeader* header) {
  if (header->prev != nullptr)
    header->prev->next = header->next;
  else
    g_heap.first = header->next;
  if (header->next != nullptr) header->next->prev = header->prev;
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
  for (BlockHeader* header = g_heap.first; header != nullptr;) {
    BlockHeader* next = header->next;
    std::free(header);
    header = next;
  }
  g_heap.first = nullptr;
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
  Link(header);
  return header + 1;
}

void* HeapReallocate(void* block, size_t size, bool zero_growth) {
  if (!FitsWithHeader(size)) return nullptr;
  std::lock_guard<std::mutex> guard(g_heap.lock);
  if (!g_heap.created) return nullptr;
  BlockHeader* header = HeaderOf(block);
  const size_t old_size = header->size;
  Unlink(header);
  void* memory = std::realloc(header, sizeof(BlockHeader) + size);
  if (memory == nullptr) {
    Link(header);  // realloc left the old block in place
    return nullptr;
  }
  header = static_cast<BlockHeader*>(memory);
  header->size = size;
  Link(header);
  if (zero_growth && size > old_size) {
    std::memset(reinterpret_cast<char*>(header + 1) + old_size, 0, size - old_size);
  }
  return header + 1;
}

bool HeapRelease(void* block) {
  std::lock_guard<std::mutex> guard(g_heap.lock);
  if (!g_heap.created) return false;
  BlockHeader* header = HeaderOf(block);
  Unlink(header);
  std::free(header);
  return true;
}

size_t HeapBlockSize(const void* block) {
  std::lock_guard<std::mutex> guard(g_heap.lock);
  return HeaderOf(block)->size;
}

}  // namespace llmbridge::platform

// Replaces the global operator new and delete of the test program (on malloc and free).
#include "support/failing_allocations.h"

#include <cstdlib>
#include <new>

#include "memory/allocation_failure.h"

namespace {

thread_local bool t_counted = false;

void* CountedAllocation(size_t bytes) noexcept {
  if (t_counted && !llmbridge::AllocationMayProceed()) return nullptr;
  return std::malloc(bytes == 0 ? 1 : bytes);
}

}  // namespace

void llmbridge::testing::CountAllocationsOfThisThread(bool on) { t_counted = on; }

void* operator new(size_t bytes) {
  void* block = CountedAllocation(bytes);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](size_t bytes) { return operator new(bytes); }
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
  return CountedAllocation(bytes);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
  return CountedAllocation(bytes);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }

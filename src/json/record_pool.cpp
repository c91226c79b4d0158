#include "json/record_pool.h"

#include <cstdint>

#include "json/json_memory.h"

namespace llmbridge {
using record_layout::kHeaderSize;
using record_layout::kSlotPrefix;
using record_layout::RoundUp;

namespace {

constexpr size_t kMinimumGrowth = 16;
constexpr size_t kMaximumGrowth = 65536;

}  // namespace

RecordPool::RecordPool(size_t record_size)
    : record_size_(record_size), slot_size_(kSlotPrefix + RoundUp(record_size)) {}

void RecordPool::Release(RecordBlock* block) {
  open_blocks_.Remove(block);
  capacity_ -= block->slot_count;
  --block_count_;
  JsonFreeBlock(block);
}

bool RecordPool::Grow() {
  size_t count = capacity_ / 16 / kMinimumGrowth * kMinimumGrowth;
  if (count < kMinimumGrowth) count = kMinimumGrowth;
  if (count > kMaximumGrowth) count = kMaximumGrowth;
  if (count > (SIZE_MAX - kHeaderSize) / slot_size_) return false;
  auto* block = static_cast<RecordBlock*>(JsonAllocateBlock(kHeaderSize + count * slot_size_));
  if (block == nullptr) return false;
  *block = RecordBlock{{}, nullptr, 0, count, 0};
  open_blocks_.PushFront(block);
  capacity_ += count;
  ++block_count_;
  return true;
}

}  // namespace llmbridge

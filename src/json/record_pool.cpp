#include "json/record_pool.h"

#include <cstdint>

#include "json/json_memory.h"

namespace llmbridge {

// A block's header, followed by its record slots. Each slot starts with a pointer to its block,
// so a record given back finds its block without a search.
struct RecordBlock {
  RecordBlock* previous;
  RecordBlock* next;
  void* free_slots;   // slots given back, chained through their record storage
  size_t never_used;  // slots from this index on have never been handed out
  size_t slot_count;
  size_t taken;
};

namespace {

constexpr size_t kAlignment = alignof(std::max_align_t);
constexpr size_t kMinimumGrowth = 16;
constexpr size_t kMaximumGrowth = 65536;

constexpr size_t RoundUp(size_t size) { return (size + kAlignment - 1) / kAlignment * kAlignment; }

constexpr size_t kHeaderSize = RoundUp(sizeof(RecordBlock));
constexpr size_t kSlotPrefix = RoundUp(sizeof(RecordBlock*));

unsigned char* SlotAt(RecordBlock* block, size_t slot_size, size_t index) {
  return reinterpret_cast<unsigned char*>(block) + kHeaderSize + index * slot_size;
}

// A free slot's record storage holds the link to the next free slot; the back pointer in front
// of it must survive, since the slot stays in its block.
void*& NextFreeSlot(void* slot) {
  return *reinterpret_cast<void**>(static_cast<unsigned char*>(slot) + kSlotPrefix);
}

}  // namespace

RecordPool::RecordPool(size_t record_size)
    : record_size_(record_size), slot_size_(kSlotPrefix + RoundUp(record_size)) {}

void* RecordPool::Take() {
  if (open_blocks_ == nullptr && !Grow()) return nullptr;
  RecordBlock* block = open_blocks_;
  unsigned char* slot;
  if (block->free_slots != nullptr) {
    slot = static_cast<unsigned char*>(block->free_slots);
    block->free_slots = NextFreeSlot(slot);
  } else {
    slot = SlotAt(block, slot_size_, block->never_used++);
    *reinterpret_cast<RecordBlock**>(slot) = block;
  }
  if (++block->taken == block->slot_count) Unlink(block);
  return slot + kSlotPrefix;
}

void RecordPool::GiveBack(void* record) {
  if (record == nullptr) return;
  unsigned char* slot = static_cast<unsigned char*>(record) - kSlotPrefix;
  RecordBlock* block = *reinterpret_cast<RecordBlock**>(slot);
  if (block->taken-- == block->slot_count) Link(block);  // it was full, so it was not linked
  if (block->taken == 0) {
    Unlink(block);
    capacity_ -= block->slot_count;
    --block_count_;
    JsonFreeBlock(block);
    return;
  }
  NextFreeSlot(slot) = block->free_slots;
  block->free_slots = slot;
}

bool RecordPool::Grow() {
  size_t count = capacity_ / 16 / kMinimumGrowth * kMinimumGrowth;
  if (count < kMinimumGrowth) count = kMinimumGrowth;
  if (count > kMaximumGrowth) count = kMaximumGrowth;
  if (count > (SIZE_MAX - kHeaderSize) / slot_size_) return false;
  auto* block = static_cast<RecordBlock*>(JsonAllocateBlock(kHeaderSize + count * slot_size_));
  if (block == nullptr) return false;
  *block = RecordBlock{nullptr, nullptr, nullptr, 0, count, 0};
  Link(block);
  capacity_ += count;
  ++block_count_;
  return true;
}

void RecordPool::Link(RecordBlock* block) {
  block->previous = nullptr;
  block->next = open_blocks_;
  if (open_blocks_ != nullptr) open_blocks_->previous = block;
  open_blocks_ = block;
}

void RecordPool::Unlink(RecordBlock* block) {
  if (block->previous != nullptr)
    block->previous->next = block->next;
  else
    open_blocks_ = block->next;
  if (block->next != nullptr) block->next->previous = block->previous;
  block->previous = block->next = nullptr;
}

}  // namespace llmbridge

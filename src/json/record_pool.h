// Pools of fixed-size records for element lists and member tables.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/intrusive_list.h"

namespace llmbridge {

// A block's header, followed by its record slots. Each slot starts with a pointer to its block,
// so a record given back finds its block without a search.
struct RecordBlock {
  ListLinks<RecordBlock> links;  // while the block has a free record: its place among those
  void* free_slots;              // slots given back, chained through their record storage
  size_t never_used;             // slots from this index on have never been handed out
  size_t slot_count;
  size_t taken;
};

namespace record_layout {

// Records hold pointers, 64-bit integers and doubles, nothing with a stricter alignment. The C
// library's 16 bytes on 64-bit targets would cost every slot 8 bytes more.
constexpr size_t kAlignment = std::max({alignof(void*), alignof(int64_t), alignof(double)});

constexpr size_t RoundUp(size_t size) { return (size + kAlignment - 1) / kAlignment * kAlignment; }

constexpr size_t kHeaderSize = RoundUp(sizeof(RecordBlock));
constexpr size_t kSlotPrefix = RoundUp(sizeof(RecordBlock*));

}  // namespace record_layout

// Hands out records of one size from blocks it allocates as needed. A pool grows by blocks of
// 16 records, or of a sixteenth of the records it already holds (rounded down to a multiple of
// 16) when that is more, but never by more than 65536 records at a time; a block whose records
// are all free is given back at once. Not thread-safe: documents are used one call at a time.
class RecordPool {
 public:
  explicit RecordPool(size_t record_size);
  RecordPool(const RecordPool&) = delete;
  RecordPool& operator=(const RecordPool&) = delete;

  // Uninitialised storage for one record, aligned for pointers, 64-bit integers and doubles;
  // null when none can be had. Inline, like GiveBack: parsing and freeing a document call them
  // once per value.
  void* Take() {
    if (open_blocks_.empty() && !Grow()) return nullptr;
    RecordBlock* block = open_blocks_.front();
    unsigned char* slot;
    if (block->free_slots != nullptr) {
      slot = static_cast<unsigned char*>(block->free_slots);
      block->free_slots = NextFreeSlot(slot);
    } else {
      slot = SlotAt(block, block->never_used++);
      *reinterpret_cast<RecordBlock**>(slot) = block;
    }
    if (++block->taken == block->slot_count) open_blocks_.Remove(block);
    return slot + record_layout::kSlotPrefix;
  }

  // Gives back a record from Take of this pool; null is ignored.
  void GiveBack(void* record) {
    if (record == nullptr) return;
    unsigned char* slot = static_cast<unsigned char*>(record) - record_layout::kSlotPrefix;
    RecordBlock* block = *reinterpret_cast<RecordBlock**>(slot);
    // A full block is not listed; it is listed again as soon as it has a free record.
    if (block->taken-- == block->slot_count) open_blocks_.PushFront(block);
    if (block->taken == 0) return Release(block);
    NextFreeSlot(slot) = block->free_slots;
    block->free_slots = slot;
  }

  size_t record_size() const { return record_size_; }
  // Records in all blocks the pool holds, free or taken.
  size_t capacity() const { return capacity_; }
  size_t block_count() const { return block_count_; }

 private:
  unsigned char* SlotAt(RecordBlock* block, size_t index) const {
    return reinterpret_cast<unsigned char*>(block) + record_layout::kHeaderSize +
           index * slot_size_;
  }
  // A free slot's record storage holds the link to the next free slot; the back pointer in front
  // of it must survive, since the slot stays in its block.
  static void*& NextFreeSlot(void* slot) {
    return *reinterpret_cast<void**>(static_cast<unsigned char*>(slot) +
                                     record_layout::kSlotPrefix);
  }

  bool Grow();
  // Frees `block`, whose records are all free.
  void Release(RecordBlock* block);

  size_t record_size_;
  size_t slot_size_;                        // record plus the back pointer to its block
  IntrusiveList<RecordBlock> open_blocks_;  // blocks with at least one free record
  size_t capacity_ = 0;
  size_t block_count_ = 0;
};

// The pool shared by every list and table whose records have `kRecordSize` bytes; it lives as
// long as the process.
template <size_t kRecordSize>
RecordPool& SharedRecordPool() {
  static RecordPool pool(kRecordSize);
  return pool;
}

}  // namespace llmbridge

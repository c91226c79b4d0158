// Pools of fixed-size records for element lists and member tables.
#pragma once

#include <cstddef>

namespace llmbridge {

struct RecordBlock;

// Hands out records of one size from blocks it allocates as needed. A pool grows by blocks of
// 16 records, or of a sixteenth of the records it already holds (rounded down to a multiple of
// 16) when that is more, but never by more than 65536 records at a time; a block whose records
// are all free is given back at once. Not thread-safe: documents are used one call at a time.
class RecordPool {
 public:
  explicit RecordPool(size_t record_size);
  RecordPool(const RecordPool&) = delete;
  RecordPool& operator=(const RecordPool&) = delete;

  // Uninitialised storage for one record, aligned for any scalar; null when none can be had.
  void* Take();
  // Gives back a record from Take of this pool; null is ignored.
  void GiveBack(void* record);

  size_t record_size() const { return record_size_; }
  // Records in all blocks the pool holds, free or taken.
  size_t capacity() const { return capacity_; }
  size_t block_count() const { return block_count_; }

 private:
  bool Grow();
  void Link(RecordBlock* block);
  void Unlink(RecordBlock* block);

  size_t record_size_;
  size_t slot_size_;                    // record plus the back pointer to its block
  RecordBlock* open_blocks_ = nullptr;  // blocks with at least one free record
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

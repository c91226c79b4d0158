#include "http/receive_buffer.h"

#include <algorithm>
#include <cstring>

#include "memory/block_heap.h"

namespace llmbridge {

ReceiveBuffer::~ReceiveBuffer() { FreeBlock(block_); }

bool ReceiveBuffer::Allocate() {
  block_ = static_cast<char*>(AllocateBlock(kInitialCapacity, kBlockUninitialized));
  if (block_ == nullptr) return false;
  block_[0] = '\0';
  capacity_ = kInitialCapacity;
  return true;
}

bool ReceiveBuffer::Append(const char* bytes, size_t count) {
  if (count == 0) return true;
  if (static_cast<uint64_t>(received_) + count > static_cast<uint64_t>(capacity_)) {
    // Block sizes are 32-bit: a body that cannot fit one fails the transfer.
    const int64_t needed = received_ + static_cast<int64_t>(count);
    if (needed > kLargestBlock) return false;
    if (!Grow(GrowthTarget(capacity_, count), needed)) return false;
  }
  std::memcpy(block_ + received_, bytes, count);
  received_ += static_cast<int64_t>(count);
  return true;
}

int64_t ReceiveBuffer::GrowthTarget(int32_t capacity, size_t count) {
  // A full block of room beyond the chunk, and at least half the block again: growing by a
  // fixed step would copy a large answer over and over, at a cost of the square of its size.
  const int64_t stepped = int64_t{capacity} + static_cast<int64_t>(count) + kInitialCapacity;
  const int64_t geometric = int64_t{capacity} + capacity / 2;
  return std::min<int64_t>(std::max(stepped, geometric), kLargestBlock);
}

bool ReceiveBuffer::Grow(int64_t wanted, int64_t needed) {
  for (const int64_t size : {wanted, needed}) {
    // A 32-bit process seldom finds a much larger block in one piece; the exact size may fit.
    void* grown = ReallocateBlock(block_, static_cast<int32_t>(size), kBlockUninitialized);
    if (grown != nullptr) {
      block_ = static_cast<char*>(grown);
      capacity_ = static_cast<int32_t>(size);
      return true;
    }
    if (size == needed) break;
  }
  return false;
}

bool ReceiveBuffer::Terminate() {
  if (block_ == nullptr) return false;
  if (received_ == capacity_) {
    if (capacity_ == kLargestBlock) return false;
    if (!Grow(capacity_ + 1, capacity_ + 1)) return false;
  }
  block_[received_] = '\0';
  return true;
}

void ReceiveBuffer::ShrinkToReceived() {
  if (received_ <= 0) return;
  void* cut = ReallocateZeroedBlock(block_, static_cast<int32_t>(received_));
  if (cut == nullptr) return;  // the larger block still holds every byte
  block_ = static_cast<char*>(cut);
  capacity_ = static_cast<int32_t>(received_);
}

}  // namespace llmbridge

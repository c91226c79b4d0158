#include "http/receive_buffer.h"

#include <cstring>
#include <limits>

#include "text/block_heap.h"

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
    const int64_t wanted = int64_t{capacity_} + static_cast<int64_t>(count) + kInitialCapacity;
    if (wanted > std::numeric_limits<int32_t>::max()) return false;
    void* grown = ReallocateBlock(block_, static_cast<int32_t>(wanted), kBlockUninitialized);
    if (grown == nullptr) return false;
    block_ = static_cast<char*>(grown);
    capacity_ = static_cast<int32_t>(wanted);
  }
  std::memcpy(block_ + received_, bytes, count);
  received_ += static_cast<int64_t>(count);
  return true;
}

bool ReceiveBuffer::Terminate() {
  if (block_ == nullptr) return false;
  if (received_ == capacity_) {
    if (capacity_ == std::numeric_limits<int32_t>::max()) return false;  // block sizes are 32-bit
    void* grown = ReallocateBlock(block_, capacity_ + 1, kBlockUninitialized);
    if (grown == nullptr) return false;
    block_ = static_cast<char*>(grown);
    ++capacity_;
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

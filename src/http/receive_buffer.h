// A growing buffer of received bytes in the BlockHeap, owned by one request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace llmbridge {

class ReceiveBuffer {
 public:
  // Room allocated up front, and kept free beyond each chunk that makes the buffer grow.
  static constexpr int32_t kInitialCapacity = 524288;

  ReceiveBuffer() = default;
  ReceiveBuffer(const ReceiveBuffer&) = delete;
  ReceiveBuffer& operator=(const ReceiveBuffer&) = delete;
  ~ReceiveBuffer();

  // Allocates the first block, contents uninitialised. False when the heap has no room.
  bool Allocate();
  // Appends `count` bytes. When they do not fit, the block grows to capacity + count +
  // kInitialCapacity, or by half when that is more, or failing that to exactly the bytes held.
  // False, storing nothing, when the block cannot grow.
  bool Append(const char* bytes, size_t count);
  // Cuts the block to exactly the bytes received (after a successful transfer).
  void ShrinkToReceived();
  // Writes a zero byte after the bytes received, growing the block by one byte when it is full,
  // so that they can be read as a C string. False when there is no block or it cannot grow.
  bool Terminate();

  const char* data() const { return block_; }
  int64_t received() const { return received_; }
  int32_t capacity() const { return capacity_; }

 private:
  static constexpr int64_t kLargestBlock = std::numeric_limits<int32_t>::max();

  // The capacity to ask for when `count` more bytes do not fit into `capacity`.
  static int64_t GrowthTarget(int32_t capacity, size_t count);
  // Resizes the block to `wanted` bytes, or to `needed` when that cannot be had.
  bool Grow(int64_t wanted, int64_t needed);

  char* block_ = nullptr;
  int32_t capacity_ = 0;
  int64_t received_ = 0;
};

}  // namespace llmbridge

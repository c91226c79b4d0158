// A growing buffer of received bytes in the BlockHeap, owned by one request.
#pragma once

#include <cstddef>
#include <cstdint>

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
  // Appends `count` bytes, growing the block to capacity + count + kInitialCapacity when they do
  // not fit. False, storing nothing, when the block cannot grow.
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
  char* block_ = nullptr;
  int32_t capacity_ = 0;
  int64_t received_ = 0;
};

}  // namespace llmbridge

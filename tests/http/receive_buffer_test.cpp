#include "http/receive_buffer.h"

#include <gtest/gtest.h>

#include <string>

#include "memory/allocation_failure.h"
#include "memory/block_heap.h"

namespace llmbridge {
namespace {

constexpr int32_t kChunk = ReceiveBuffer::kInitialCapacity;

TEST(ReceiveBuffer, HoldsAFullFirstBlockWithoutGrowing) {
  ReceiveBuffer buffer;
  ASSERT_TRUE(buffer.Allocate());
  const std::string bytes(kChunk, 'x');
  ASSERT_TRUE(buffer.Append(bytes.data(), bytes.size()));
  EXPECT_EQ(buffer.capacity(), kChunk);
  EXPECT_EQ(buffer.received(), kChunk);
}

TEST(ReceiveBuffer, GrowsByTheChunkPlusAFullBlockAndKeepsTheBytes) {
  ReceiveBuffer buffer;
  ASSERT_TRUE(buffer.Allocate());
  const std::string first(kChunk - 10, 'a');
  const std::string second(100, 'b');
  ASSERT_TRUE(buffer.Append(first.data(), first.size()));
  ASSERT_TRUE(buffer.Append(second.data(), second.size()));
  EXPECT_EQ(buffer.capacity(), kChunk + 100 + kChunk);
  EXPECT_EQ(std::string(buffer.data(), static_cast<size_t>(buffer.received())), first + second);

  buffer.ShrinkToReceived();
  EXPECT_EQ(buffer.capacity(), kChunk + 90);
  EXPECT_EQ(BlockSize(buffer.data()), kChunk + 90);
  EXPECT_EQ(std::string(buffer.data(), static_cast<size_t>(buffer.received())), first + second);

  // A reader of the bytes as a C string gets its zero byte in one more byte of block.
  ASSERT_TRUE(buffer.Terminate());
  EXPECT_EQ(BlockSize(buffer.data()), kChunk + 91);
  EXPECT_EQ(std::string(buffer.data()), first + second);
}

// Past a few blocks the buffer grows by half, so that a large answer is copied a bounded number
// of times; where the larger block cannot be had, exactly the bytes held are asked for.
TEST(ReceiveBuffer, GrowsByHalfOnceLargeAndFallsBackToTheExactSize) {
  ReceiveBuffer buffer;
  ASSERT_TRUE(buffer.Allocate());
  const std::string chunk(65536, 'c');
  while (buffer.capacity() < 8 * kChunk) ASSERT_TRUE(buffer.Append(chunk.data(), chunk.size()));
  const auto fill = [&] {
    const std::string rest(static_cast<size_t>(buffer.capacity() - buffer.received()), 'r');
    ASSERT_TRUE(buffer.Append(rest.data(), rest.size()));
  };
  fill();
  const int32_t full = buffer.capacity();
  ASSERT_TRUE(buffer.Append("x", 1));
  EXPECT_EQ(buffer.capacity(), full + full / 2);

  fill();
  const int64_t held = buffer.received();
  SetAllocationFailure(1);  // the larger block cannot be had
  ASSERT_TRUE(buffer.Append("y", 1));
  SetAllocationFailure(0);
  EXPECT_EQ(buffer.capacity(), held + 1);
  EXPECT_EQ(buffer.data()[held], 'y');
}

TEST(ReceiveBuffer, RefusesAChunkThatCannotFitA32BitBlock) {
  ReceiveBuffer buffer;
  ASSERT_TRUE(buffer.Allocate());
  const char byte = 'x';
  // The size check happens before any byte is read, so a huge count is safe to pass.
  EXPECT_FALSE(buffer.Append(&byte, size_t{1} << 31));
  EXPECT_EQ(buffer.received(), 0);
}

}  // namespace
}  // namespace llmbridge

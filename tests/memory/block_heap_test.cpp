#include "memory/block_heap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace llmbridge {
namespace {

bool AllBytesAre(const void* block, int size, unsigned char value) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (int i = 0; i < size; ++i) {
    if (bytes[i] != value) return false;
  }
  return true;
}

TEST(BlockHeap, SizesOfZeroOrLessAllocateNothing) {
  for (int32_t size : {0, -1, INT32_MIN}) {
    EXPECT_EQ(AllocateBlock(size, 0), nullptr) << size;
    EXPECT_EQ(AllocateBlock(size, kBlockUninitialized), nullptr) << size;
    EXPECT_EQ(AllocateZeroedBlock(size), nullptr) << size;
    EXPECT_EQ(ReallocateBlock(nullptr, size, 0), nullptr) << size;
    EXPECT_EQ(ReallocateZeroedBlock(nullptr, size), nullptr) << size;
  }
}

TEST(BlockHeap, BlockSizeIsExactlyWhatWasAskedFor) {
  EXPECT_EQ(BlockSize(nullptr), 0);
  for (int32_t size : {1, 5, 17, 4096, 524288}) {
    void* block = AllocateBlock(size, kBlockUninitialized);
    ASSERT_NE(block, nullptr) << size;
    EXPECT_EQ(BlockSize(block), size);
    EXPECT_TRUE(FreeBlock(block));
  }
}

TEST(BlockHeap, AllocationsAreZeroFilledUnlessAskedNotTo) {
  void* zeroed = AllocateBlock(4096, 0);
  void* also_zeroed = AllocateZeroedBlock(4096);
  ASSERT_NE(zeroed, nullptr);
  ASSERT_NE(also_zeroed, nullptr);
  EXPECT_TRUE(AllBytesAre(zeroed, 4096, 0));
  EXPECT_TRUE(AllBytesAre(also_zeroed, 4096, 0));
  FreeBlock(zeroed);
  FreeBlock(also_zeroed);
}

TEST(BlockHeap, ReallocationKeepsContentsAndZeroesGrowthOnRequest) {
  auto* block = static_cast<char*>(AllocateBlock(8, kBlockUninitialized));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abcdefgh", 8);

  block = static_cast<char*>(ReallocateZeroedBlock(block, 64));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(BlockSize(block), 64);
  EXPECT_EQ(std::memcmp(block, "abcdefgh", 8), 0);
  EXPECT_TRUE(AllBytesAre(block + 8, 56, 0));

  block = static_cast<char*>(ReallocateBlock(block, 3, kBlockUninitialized));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(BlockSize(block), 3);
  EXPECT_EQ(std::memcmp(block, "abc", 3), 0);
  FreeBlock(block);
}

TEST(BlockHeap, FailedReallocationLeavesTheOldBlockUntouched) {
  auto* block = static_cast<char*>(AllocateBlock(4, 0));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "keep", 4);
  EXPECT_EQ(ReallocateBlock(block, 0, 0), nullptr);
  EXPECT_EQ(ReallocateZeroedBlock(block, -5), nullptr);
  EXPECT_EQ(BlockSize(block), 4);
  EXPECT_EQ(std::memcmp(block, "keep", 4), 0);
  FreeBlock(block);
}

TEST(BlockHeap, ReallocatingNullAllocatesWithTheSameFlags) {
  void* block = ReallocateBlock(nullptr, 32, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(BlockSize(block), 32);
  EXPECT_TRUE(AllBytesAre(block, 32, 0));
  FreeBlock(block);
}

TEST(BlockHeap, FreeingNullHasNoEffect) {
  void* block = AllocateBlock(16, 0);
  ASSERT_NE(block, nullptr);
  std::memset(block, 'x', 16);
  EXPECT_TRUE(FreeBlock(nullptr));
  EXPECT_TRUE(AllBytesAre(block, 16, 'x'));
  FreeBlock(block);
}

// Destroying the heap releases what is still in it (the sanitizer build would report a leak
// otherwise) and later allocations fail until it exists again.
TEST(BlockHeap, DestroyingTheHeapReleasesEveryBlock) {
  for (int i = 0; i < 100; ++i) ASSERT_NE(AllocateBlock(1000 + i, 0), nullptr);
  DestroyBlockHeap();
  EXPECT_EQ(AllocateBlock(8, 0), nullptr);
  ASSERT_TRUE(CreateBlockHeap());
  void* block = AllocateBlock(8, 0);
  EXPECT_NE(block, nullptr);
  FreeBlock(block);
}

}  // namespace
}  // namespace llmbridge

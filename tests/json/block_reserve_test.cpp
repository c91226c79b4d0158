#include "json/block_reserve.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace llmbridge {
namespace {

// Each test owns its reserve and releases it at the end, so the sanitizer build sees any block
// that is neither kept nor freed.
class BlockReserveTest : public ::testing::Test {
 protected:
  void TearDown() override {
    reserve.Release();
    EXPECT_EQ(reserve.kept_bytes(), 0u);
  }

  void* TakeFilled(size_t bytes) {
    void* block = reserve.Take(bytes);
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
    std::memset(block, 0x5A, bytes);  // the sanitizer build catches a block shorter than asked
    return block;
  }

  static constexpr size_t kMostKept = 4096;
  BlockReserve reserve{kMostKept};
};

TEST_F(BlockReserveTest, ABlockGivenBackServesTheNextRequestItCovers) {
  void* block = TakeFilled(800);
  reserve.GiveBack(block);
  EXPECT_EQ(reserve.kept_bytes(), 800u);
  EXPECT_EQ(TakeFilled(800), block) << "same size";
  reserve.GiveBack(block);
  EXPECT_EQ(TakeFilled(720), block) << "80 bytes to spare are within an eighth of 720";
  EXPECT_EQ(reserve.used_bytes(), 800u) << "the whole kept block is in use";
  reserve.GiveBack(block);
  EXPECT_EQ(reserve.kept_bytes(), 800u);
}

TEST_F(BlockReserveTest, ABlockTooSmallOrTooLargeIsNotHandedOut) {
  reserve.GiveBack(TakeFilled(800));
  void* bigger = TakeFilled(801);
  EXPECT_EQ(reserve.used_bytes(), 801u) << "a new block, not the kept one";
  reserve.GiveBack(bigger);
  void* smaller = TakeFilled(700);  // 101 to spare is more than an eighth of 700
  EXPECT_EQ(reserve.used_bytes(), 700u);
  reserve.GiveBack(smaller);
}

TEST_F(BlockReserveTest, TheSmallestCoveringBlockIsChosen) {
  void* larger = TakeFilled(1000);
  void* closer = TakeFilled(900);
  reserve.GiveBack(closer);
  reserve.GiveBack(larger);
  EXPECT_EQ(TakeFilled(890), closer);
  EXPECT_EQ(TakeFilled(890), larger);
  reserve.GiveBack(closer);
  reserve.GiveBack(larger);
}

TEST_F(BlockReserveTest, KeepsNoMoreThanWasOnceInUse) {
  void* first = TakeFilled(1000);
  reserve.GiveBack(first);
  EXPECT_EQ(reserve.kept_bytes(), 1000u);
  // 100 bytes cannot come from the kept block, and 1100 held would pass the peak of 1000: the
  // kept block is freed to make room.
  void* small = TakeFilled(100);
  EXPECT_EQ(reserve.kept_bytes(), 0u);
  EXPECT_EQ(reserve.used_bytes(), 100u);
  reserve.GiveBack(small);
  EXPECT_EQ(reserve.kept_bytes(), 100u);
}

TEST_F(BlockReserveTest, KeepsNoMoreThanItsCap) {
  void* first = TakeFilled(3000);
  void* second = TakeFilled(1000);
  void* third = TakeFilled(200);
  reserve.GiveBack(first);
  reserve.GiveBack(second);
  EXPECT_EQ(reserve.kept_bytes(), 4000u);
  reserve.GiveBack(third);
  EXPECT_EQ(reserve.kept_bytes(), 4000u) << "200 more would pass the cap of 4096: freed";
  EXPECT_EQ(reserve.used_bytes(), 0u);
  EXPECT_EQ(TakeFilled(3000), first) << "the blocks within the cap are still kept";
  reserve.GiveBack(first);
}

TEST_F(BlockReserveTest, MakingRoomFreesOnlyWhatItMust) {
  void* older = TakeFilled(500);
  void* newer = TakeFilled(500);
  reserve.GiveBack(older);
  reserve.GiveBack(newer);
  // 300 more would pass the peak of 1000; freeing the newest kept block is enough.
  void* other = TakeFilled(300);
  EXPECT_EQ(reserve.kept_bytes(), 500u);
  EXPECT_EQ(TakeFilled(500), older);
  EXPECT_EQ(reserve.used_bytes(), 800u);
  reserve.GiveBack(older);
  reserve.GiveBack(other);
}

TEST_F(BlockReserveTest, NullIsIgnoredAndReleaseEmptiesTheReserve) {
  reserve.GiveBack(nullptr);
  EXPECT_EQ(reserve.kept_bytes(), 0u);
  void* a = TakeFilled(64);
  void* b = TakeFilled(64);
  reserve.GiveBack(a);
  reserve.GiveBack(b);
  EXPECT_EQ(reserve.kept_bytes(), 128u);
  reserve.Release();
  EXPECT_EQ(reserve.kept_bytes(), 0u);
  void* again = TakeFilled(64);
  EXPECT_EQ(reserve.used_bytes(), 64u);
  reserve.GiveBack(again);
}

}  // namespace
}  // namespace llmbridge

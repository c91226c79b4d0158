#include "json/record_pool.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace llmbridge {
namespace {

// Takes records until the pool grows once more; returns by how many records it grew.
size_t TakeThroughNextGrowth(RecordPool& pool, std::vector<void*>& records) {
  const size_t before = pool.capacity();
  while (records.size() < before) records.push_back(pool.Take());
  records.push_back(pool.Take());
  return pool.capacity() - before;
}

void GiveAllBack(RecordPool& pool, std::vector<void*>& records) {
  for (void* record : records) pool.GiveBack(record);
  records.clear();
}

TEST(RecordPool, GrowsBySixteenOrASixteenthRoundedToSixteen) {
  struct Case {
    size_t capacity;
    size_t growth;
  };
  // Sixteen records per block until the pool holds 512; a sixteenth of 544 is 34,
  // taken as 32.
  const Case cases[] = {{0, 16}, {16, 16}, {256, 16}, {496, 16}, {512, 32}, {544, 32}, {768, 48}};
  RecordPool pool(24);
  std::vector<void*> records;
  for (const Case& c : cases) {
    while (pool.capacity() < c.capacity) TakeThroughNextGrowth(pool, records);
    ASSERT_EQ(pool.capacity(), c.capacity);
    EXPECT_EQ(TakeThroughNextGrowth(pool, records), c.growth) << c.capacity;
  }
  GiveAllBack(pool, records);
  EXPECT_EQ(pool.capacity(), 0u);
  EXPECT_EQ(pool.block_count(), 0u);
}

TEST(RecordPool, BlockGrowthIsCappedAt65536Records) {
  RecordPool pool(8);
  std::vector<void*> records;
  size_t growth = 0;
  while (pool.capacity() < 16u * 65536u) growth = TakeThroughNextGrowth(pool, records);
  EXPECT_LT(growth, 65536u);
  EXPECT_EQ(TakeThroughNextGrowth(pool, records), 65536u);
  EXPECT_EQ(TakeThroughNextGrowth(pool, records), 65536u);
  GiveAllBack(pool, records);
  EXPECT_EQ(pool.block_count(), 0u);
}

TEST(RecordPool, RecordsAreDistinctAlignedAndReused) {
  RecordPool pool(20);
  std::vector<void*> records;
  for (int i = 0; i < 40; ++i) {
    void* record = pool.Take();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(double), 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(int64_t), 0u);
    std::memset(record, 0xAB, 20);  // the sanitizer build catches overlapping or short records
    records.push_back(record);
  }
  EXPECT_EQ(pool.block_count(), 3u);
  pool.GiveBack(records[3]);
  EXPECT_EQ(pool.Take(), records[3]) << "a freed record is handed out again";
  pool.GiveBack(nullptr);
  for (void* record : records) pool.GiveBack(record);
  EXPECT_EQ(pool.block_count(), 0u);
}

TEST(RecordPool, BlockIsGivenBackWhenItsLastRecordIs) {
  RecordPool pool(16);
  std::vector<void*> first_block;
  for (int i = 0; i < 16; ++i) first_block.push_back(pool.Take());
  void* second_block = pool.Take();
  EXPECT_EQ(pool.block_count(), 2u);
  for (void* record : first_block) pool.GiveBack(record);
  EXPECT_EQ(pool.block_count(), 1u);
  EXPECT_EQ(pool.capacity(), 16u);
  pool.GiveBack(second_block);
  EXPECT_EQ(pool.block_count(), 0u);
}

}  // namespace
}  // namespace llmbridge

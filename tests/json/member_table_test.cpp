// Member tables against a model of their 64 chains: visiting order, lookups and the cursor in
// whatever order the buckets fill, the growth of the bucket heads, and failures while growing.
#include "json/member_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "json/json_memory.h"
#include "json/record_pool.h"
#include "json/text_arena.h"
#include "text/text.h"

namespace llmbridge {
namespace {

// A one-unit key hashes to its unit, so this key falls in `bucket`; keys of other rounds share it.
Text KeyIn(int32_t bucket, int round = 0) {
  return Text(1, static_cast<char16_t>(0x100 + bucket + kMemberBucketCount * round));
}

int32_t BucketOfKey(const Text& key) { return (key[0] - 0x100) % kMemberBucketCount; }

struct ModelMember {
  Text key;
  int64_t serial;  // the value last given to the member
};

// What a table must hold: 64 chains, newest member first; a repeated key keeps its place.
class ChainModel {
 public:
  void Add(const Text& key, int64_t serial) {
    std::vector<ModelMember>& chain = chains_[static_cast<size_t>(BucketOfKey(key))];
    for (ModelMember& member : chain) {
      if (member.key == key) {
        member.serial = serial;
        return;
      }
    }
    chain.insert(chain.begin(), ModelMember{key, serial});
  }

  // Each member with its bucket, in visiting order.
  std::vector<std::pair<int32_t, ModelMember>> Visiting() const {
    std::vector<std::pair<int32_t, ModelMember>> members;
    for (int32_t bucket = 0; bucket < kMemberBucketCount; ++bucket) {
      for (const ModelMember& member : chains_[static_cast<size_t>(bucket)])
        members.emplace_back(bucket, member);
    }
    return members;
  }

 private:
  std::array<std::vector<ModelMember>, kMemberBucketCount> chains_;
};

Text KeyOf(const MemberRecord& record) { return Text(record.key, 1); }

// Visits and looks up every member; the cursor ends on the last member found.
void ExpectTableMatches(MemberTable& table, const ChainModel& model) {
  const auto expected = model.Visiting();
  ASSERT_EQ(table.count, expected.size());
  ResetMemberCursor(table);
  for (const auto& [bucket, member] : expected) {
    const MemberRecord* record = AdvanceMemberCursor(table);
    ASSERT_NE(record, nullptr) << "visited too few";
    EXPECT_EQ(KeyOf(*record), member.key);
    EXPECT_EQ(record->value.integer, member.serial);
    EXPECT_EQ(table.current_bucket, bucket);
  }
  EXPECT_EQ(AdvanceMemberCursor(table), nullptr) << "visited too many";
  EXPECT_EQ(AdvanceMemberCursor(table), nullptr) << "past the end stays there";
  for (const auto& [bucket, member] : expected) {
    const MemberRecord* record = FindMemberRecord(table, member.key.data(), 1);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->value.integer, member.serial);
    EXPECT_EQ(table.current, record);
    EXPECT_EQ(table.current_bucket, bucket);
    const Text absent = KeyIn(bucket, 200);  // beyond the rounds any test adds
    EXPECT_EQ(FindMemberRecord(table, absent.data(), 1), nullptr);
  }
}

size_t HeldRecords() {
  return SharedRecordPool<sizeof(MemberRecord)>().capacity() +
         SharedRecordPool<sizeof(MemberTable)>().capacity();
}

// The head arrays a pool holds for a capacity; only head arrays have these sizes.
template <uint32_t kCapacity>
size_t HeadArrayBlocks() {
  static_assert(kCapacity * sizeof(MemberRecord*) != sizeof(MemberRecord));
  static_assert(kCapacity * sizeof(MemberRecord*) != sizeof(MemberTable));
  return SharedRecordPool<kCapacity * sizeof(MemberRecord*)>().block_count();
}

std::array<size_t, 4> HeadArrayBlocksByCapacity() {
  return {HeadArrayBlocks<8>(), HeadArrayBlocks<16>(), HeadArrayBlocks<32>(),
          HeadArrayBlocks<64>()};
}

class MemberTableTest : public ::testing::Test {
 protected:
  void SetUp() override { held_before_ = HeldRecords(); }

  void TearDown() override {
    SetJsonAllocationFailure(0);
    for (MemberTable* table : tables_) FreeMemberTable(table);
    EXPECT_EQ(HeldRecords(), held_before_) << "every record and table went back to its pool";
    EXPECT_EQ(HeadArrayBlocksByCapacity(), (std::array<size_t, 4>{}));
  }

  MemberTable& NewTable() {
    tables_.push_back(NewMemberTable());
    return *tables_.back();
  }

  // Adds `key` with the next serial as its value, to the table and the model alike.
  const JsonValue* Add(MemberTable& table, ChainModel& model, const Text& key) {
    JsonValue* value = AddMember(table, key.data(), key.size(), keys_);
    if (value == nullptr) return nullptr;
    value->kind = JsonKind::Number;
    value->integer = ++serial_;
    model.Add(key, serial_);
    return value;
  }

 private:
  TextArena keys_{1 << 16};
  std::vector<MemberTable*> tables_;
  size_t held_before_ = 0;
  int64_t serial_ = 0;
};

std::vector<Text> EveryBucketOnce(const std::vector<int32_t>& buckets) {
  std::vector<Text> keys;
  for (int32_t bucket : buckets) keys.push_back(KeyIn(bucket));
  return keys;
}

std::vector<int32_t> Ascending() {
  std::vector<int32_t> buckets(kMemberBucketCount);
  for (int32_t bucket = 0; bucket < kMemberBucketCount; ++bucket)
    buckets[static_cast<size_t>(bucket)] = bucket;
  return buckets;
}

std::vector<int32_t> Shuffled(unsigned seed) {
  std::vector<int32_t> buckets = Ascending();
  std::shuffle(buckets.begin(), buckets.end(), std::mt19937(seed));
  return buckets;
}

// Three keys per bucket in a shuffled order, then every key once more.
std::vector<Text> CollidingAndRepeated() {
  std::vector<Text> keys;
  for (int round = 0; round < 3; ++round) {
    for (int32_t bucket : Shuffled(static_cast<unsigned>(round)))
      keys.push_back(KeyIn(bucket, round));
  }
  std::vector<Text> again = keys;
  std::shuffle(again.begin(), again.end(), std::mt19937(7));
  keys.insert(keys.end(), again.begin(), again.end());
  return keys;
}

TEST_F(MemberTableTest, MatchesTheChainModelWhateverTheFillOrder) {
  std::vector<int32_t> descending = Ascending();
  std::reverse(descending.begin(), descending.end());
  // Past kIndexedMemberCount members a table finds repeated keys through its index.
  std::vector<Text> one_bucket;
  for (int round = 0; round < 100; ++round) one_bucket.push_back(KeyIn(17, round));
  for (int round = 0; round < 100; round += 7) one_bucket.push_back(KeyIn(17, round));
  const std::vector<std::vector<Text>> orders = {
      EveryBucketOnce(Ascending()), EveryBucketOnce(descending),  EveryBucketOnce(Shuffled(1)),
      EveryBucketOnce(Shuffled(2)), EveryBucketOnce(Shuffled(3)), one_bucket,
      CollidingAndRepeated(),
  };
  // The tables fill side by side, so that a table writing past its heads spoils a neighbour.
  std::vector<MemberTable*> tables;
  std::vector<ChainModel> models(orders.size());
  size_t steps = 0;
  for (const std::vector<Text>& order : orders) {
    tables.push_back(&NewTable());
    steps = std::max(steps, order.size());
  }
  for (size_t step = 0; step < steps; ++step) {
    for (size_t i = 0; i < orders.size(); ++i) {
      if (step >= orders[i].size()) continue;
      ASSERT_NE(Add(*tables[i], models[i], orders[i][step]), nullptr);
      ASSERT_NO_FATAL_FAILURE(ExpectTableMatches(*tables[i], models[i]))
          << "order " << i << ", step " << step;
    }
  }
}

TEST_F(MemberTableTest, NewAndRepeatedKeysBecomeCurrent) {
  MemberTable& table = NewTable();
  ChainModel model;
  for (int32_t bucket : Shuffled(4)) {
    const JsonValue* value = Add(table, model, KeyIn(bucket));
    EXPECT_EQ(&table.current->value, value);
    EXPECT_EQ(table.current_bucket, bucket);
  }
  const Text repeated = KeyIn(40);
  const JsonValue* value = Add(table, model, repeated);
  EXPECT_EQ(KeyOf(*table.current), repeated);
  EXPECT_EQ(&table.current->value, value);
  EXPECT_EQ(table.count, 64u);
}

TEST_F(MemberTableTest, HeadCapacityGrowsInSteps) {
  const std::pair<uint32_t, uint32_t> cases[] = {{0, 6},   {1, 6},   {6, 6},   {7, 8},
                                                 {8, 8},   {9, 16},  {16, 16}, {17, 32},
                                                 {32, 32}, {33, 64}, {64, 64}};
  for (const auto& [filled, capacity] : cases) EXPECT_EQ(MemberHeadCapacity(filled), capacity);
}

TEST_F(MemberTableTest, HeadsMoveToOneArrayOfTheirCapacityAtEachStep) {
  MemberTable& table = NewTable();
  ChainModel model;
  const uint32_t capacities[] = {8, 16, 32, 64};
  for (int32_t bucket : Shuffled(5)) {
    ASSERT_NE(Add(table, model, KeyIn(bucket)), nullptr);
    ASSERT_NO_FATAL_FAILURE(ExpectTableMatches(table, model));
    const std::array<size_t, 4> blocks = HeadArrayBlocksByCapacity();
    for (size_t i = 0; i < blocks.size(); ++i) {
      const bool in_use = FilledBucketCount(table) > kInlineHeadCount &&
                          MemberHeadCapacity(FilledBucketCount(table)) == capacities[i];
      EXPECT_EQ(blocks[i], in_use ? 1u : 0u)
          << FilledBucketCount(table) << " buckets, arrays of " << capacities[i];
    }
  }
}

TEST_F(MemberTableTest, AFailedAddLeavesTheTableAsItWas) {
  const RecordPool& records = SharedRecordPool<sizeof(MemberRecord)>();
  ASSERT_EQ(records.capacity(), 0u) << "no records but this test's are alive";
  // Neighbours hold a head array of each capacity, so their pools have arrays to spare: each
  // allocation counted below is then one the add makes itself.
  size_t members = 0;
  ChainModel neighbours;
  for (int32_t filled : {7, 9, 17, 33}) {
    MemberTable& neighbour = NewTable();
    for (int32_t bucket = 0; bucket < filled; ++bucket) Add(neighbour, neighbours, KeyIn(bucket));
    members += neighbour.count;
  }
  MemberTable& table = NewTable();
  ChainModel model;
  std::vector<Text> keys = EveryBucketOnce(Shuffled(6));
  keys.push_back(KeyIn(3, 1));
  for (const Text& key : keys) {
    const uint32_t filled = FilledBucketCount(table);
    const bool records_full = records.capacity() == members;
    const bool index_grows = MemberIndexMustGrow(table.index, table.count);
    unsigned long failures = 0;
    for (;; ++failures) {
      const MemberRecord* current = table.current;
      const int32_t current_bucket = table.current_bucket;
      SetJsonAllocationFailure(failures + 1);
      const JsonValue* value = Add(table, model, key);
      SetJsonAllocationFailure(0);
      if (value != nullptr) break;
      ASSERT_EQ(table.current, current);
      ASSERT_EQ(table.current_bucket, current_bucket);
      ASSERT_EQ(FilledBucketCount(table), filled);
      ASSERT_NO_FATAL_FAILURE(ExpectTableMatches(table, model)) << "failure " << failures;
    }
    // A larger index when the table needs one, a block for the records when they are all taken,
    // the key's copy, and an array for the heads when they must grow: each of them failed once.
    const bool heads_grow = filled == MemberHeadCapacity(filled) && filled < kMemberBucketCount;
    EXPECT_EQ(failures,
              (index_grows ? 1u : 0u) + (records_full ? 1u : 0u) + 1u + (heads_grow ? 1u : 0u))
        << filled << " buckets";
    ++members;
  }
  ASSERT_NO_FATAL_FAILURE(ExpectTableMatches(table, model));
}

}  // namespace
}  // namespace llmbridge

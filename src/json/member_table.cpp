#include "json/member_table.h"

#include <algorithm>

#include "json/json_memory.h"
#include "json/record_pool.h"
#include "text/text_hash.h"

namespace llmbridge {
namespace {

RecordPool& MemberPool() { return SharedRecordPool<sizeof(MemberRecord)>(); }

// Tables come from a pool too: answers hold many small objects, and each table is a fixed size.
RecordPool& TablePool() { return SharedRecordPool<sizeof(MemberTable)>(); }

int32_t BucketOf(const char16_t* key, size_t length) {
  return static_cast<int32_t>(HashText(key, length) % kMemberBucketCount);
}

// Where the head of a bucket is stored, or would be once the bucket is filled.
struct HeadSlot {
  MemberRecord** heads;  // the table's head slots
  uint32_t index;        // the bucket's slot among them
  MemberRecord* chain;   // the bucket's chain; null when the bucket is empty
};

// Always inline: adding a member and finding one each begin with it, and the compiler would
// otherwise keep it a call once AddMember grew.
[[gnu::always_inline]] inline HeadSlot HeadSlotOf(MemberTable& table, int32_t bucket) {
  MemberRecord** heads = HeadsOf(table);
  const uint32_t index = HeadIndex(table.filled_buckets, bucket);
  const bool present = (table.filled_buckets & BucketBit(bucket)) != 0;
  return {heads, index, present ? heads[index] : nullptr};
}

// Head arrays share the record pools by size, like the records and tables.
RecordPool& HeadPool(uint32_t capacity) {
  switch (capacity) {
    case 8:
      return SharedRecordPool<8 * sizeof(MemberRecord*)>();
    case 16:
      return SharedRecordPool<16 * sizeof(MemberRecord*)>();
    case 32:
      return SharedRecordPool<32 * sizeof(MemberRecord*)>();
    default:
      return SharedRecordPool<kMemberBucketCount * sizeof(MemberRecord*)>();
  }
}

// Each array counts as an allocation of its own, as a carved text does, so that a test can make
// any growth of the heads fail whatever the pool holds.
MemberRecord** TakeHeadArray(uint32_t capacity) {
  if (!JsonAllocationMayProceed()) return nullptr;
  return static_cast<MemberRecord**>(HeadPool(capacity).Take());
}

// Gives back the array of a table with `filled` buckets, if it has one.
void GiveBackHeads(MemberTable& table, uint32_t filled) {
  if (filled > kInlineHeadCount) HeadPool(MemberHeadCapacity(filled)).GiveBack(table.spilled_heads);
}

// Makes `record` the chain of the empty bucket `bucket`, whose slot is `slot`: the heads of the
// later buckets move up a slot, into a larger array when the slots are all in use. False, with
// the table untouched, when that array cannot be had.
bool AddChain(MemberTable& table, int32_t bucket, const HeadSlot& slot, MemberRecord* record) {
  const uint32_t filled = FilledBucketCount(table);
  const uint32_t index = slot.index;
  MemberRecord** heads = slot.heads;
  if (filled == MemberHeadCapacity(filled)) {
    MemberRecord** grown = TakeHeadArray(MemberHeadCapacity(filled + 1));
    if (grown == nullptr) return false;
    std::copy(heads, heads + index, grown);
    std::copy(heads + index, heads + filled, grown + index + 1);
    GiveBackHeads(table, filled);
    table.spilled_heads = grown;
    heads = grown;
  } else {
    std::copy_backward(heads + index, heads + filled, heads + filled + 1);
  }
  heads[index] = record;
  table.filled_buckets |= BucketBit(bucket);
  return true;
}

// The member named exactly `key` in `chain`, the chain of its bucket, made current; or null.
MemberRecord* FindMember(MemberTable& table, MemberRecord* chain, int32_t bucket,
                         const char16_t* key, size_t length) {
  MemberRecord* found = nullptr;
  if (table.index != nullptr) {
    found = FindIndexedMember(*table.index, key, length);
  } else {
    found = chain;
    while (found != nullptr && !MemberKeyEquals(found->key, key, length)) found = found->next;
  }
  if (found != nullptr) {
    table.current = found;
    table.current_bucket = bucket;
  }
  return found;
}

}  // namespace

uint32_t MemberHeadCapacity(uint32_t filled) {
  if (filled <= kInlineHeadCount) return kInlineHeadCount;
  uint32_t capacity = 8;
  while (capacity < filled) capacity *= 2;
  return capacity;
}

MemberTable* NewMemberTable() {
  auto* table = static_cast<MemberTable*>(TablePool().Take());
  if (table == nullptr) return nullptr;
  table->filled_buckets = 0;
  table->count = 0;
  table->index = nullptr;
  ResetMemberCursor(*table);
  return table;
}

JsonValue* AddMember(MemberTable& table, const char16_t* key, size_t length, TextArena& keys) {
  const int32_t bucket = BucketOf(key, length);
  const HeadSlot slot = HeadSlotOf(table, bucket);
  if (MemberRecord* existing = FindMember(table, slot.chain, bucket, key, length)) {
    ResetJsonValue(existing->value);
    return &existing->value;
  }
  // A larger index, when the table needs one, replaces the old only once the member is in.
  MemberIndex* grown = nullptr;
  if (MemberIndexMustGrow(table.index, table.count)) {
    grown = NewMemberIndex(table.count, HeadsOf(table), FilledBucketCount(table));
    if (grown == nullptr) return nullptr;
  }
  auto* record = static_cast<MemberRecord*>(MemberPool().Take());
  char16_t* key_copy = nullptr;
  if (record == nullptr || !keys.Copy(key, length, &key_copy)) {
    MemberPool().GiveBack(record);
    FreeMemberIndex(grown);
    return nullptr;
  }
  *record = MemberRecord{slot.chain, key_copy, MakeNullJsonValue()};
  if (slot.chain != nullptr) {
    slot.heads[slot.index] = record;
  } else if (!AddChain(table, bucket, slot, record)) {
    MemberPool().GiveBack(record);  // the key stays carved in the arena, unused
    FreeMemberIndex(grown);
    return nullptr;
  }
  if (grown != nullptr) {
    FreeMemberIndex(table.index);
    table.index = grown;
  }
  if (table.index != nullptr) IndexMember(*table.index, record, length);
  ++table.count;
  table.current = record;
  table.current_bucket = bucket;
  return &record->value;
}

MemberRecord* FindMemberRecord(MemberTable& table, const char16_t* key, size_t length) {
  const int32_t bucket = BucketOf(key, length);
  return FindMember(table, HeadSlotOf(table, bucket).chain, bucket, key, length);
}

void FreeMemberTable(MemberTable* table) {
  if (table == nullptr) return;
  const uint32_t filled = FilledBucketCount(*table);
  MemberRecord** heads = HeadsOf(*table, filled);
  for (uint32_t index = 0; index < filled; ++index) {
    for (MemberRecord* record = heads[index]; record != nullptr;) {
      MemberRecord* next = record->next;
      ResetJsonValue(record->value);
      MemberPool().GiveBack(record);
      record = next;
    }
  }
  GiveBackHeads(*table, filled);
  FreeMemberIndex(table->index);
  TablePool().GiveBack(table);
}

}  // namespace llmbridge

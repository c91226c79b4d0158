#include "json/member_table.h"

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

bool KeyEquals(const char16_t* stored, const char16_t* key, size_t length) {
  if (stored == nullptr) return length == 0;
  for (size_t i = 0; i < length; ++i) {
    if (stored[i] != key[i]) return false;  // also stops at the stored key's NUL
  }
  return stored[length] == 0;
}

uint64_t BucketBit(int32_t bucket) { return uint64_t{1} << bucket; }

MemberRecord* ChainOf(const MemberTable& table, int32_t bucket) {
  return (table.filled_buckets & BucketBit(bucket)) != 0 ? table.buckets[bucket] : nullptr;
}

// The first filled bucket from `bucket` on, or kMemberBucketCount when there is none.
int32_t FilledBucketFrom(uint64_t filled_buckets, int32_t bucket) {
  if (bucket >= kMemberBucketCount) return kMemberBucketCount;
  const uint64_t rest = filled_buckets >> bucket;
  return rest == 0 ? kMemberBucketCount : bucket + __builtin_ctzll(rest);
}

MemberRecord* FirstRecordFrom(const MemberTable& table, int32_t bucket, int32_t* found_bucket) {
  bucket = FilledBucketFrom(table.filled_buckets, bucket);
  if (bucket == kMemberBucketCount) return nullptr;
  *found_bucket = bucket;
  return table.buckets[bucket];
}

}  // namespace

MemberTable* NewMemberTable() {
  auto* table = static_cast<MemberTable*>(TablePool().Take());
  if (table == nullptr) return nullptr;
  table->filled_buckets = 0;
  table->count = 0;
  ResetMemberCursor(*table);
  return table;
}

JsonValue* AddMember(MemberTable& table, const char16_t* key, size_t length, TextArena& keys) {
  if (MemberRecord* existing = FindMemberRecord(table, key, length)) {
    ResetJsonValue(existing->value);
    return &existing->value;
  }
  auto* record = static_cast<MemberRecord*>(MemberPool().Take());
  if (record == nullptr) return nullptr;
  char16_t* key_copy;
  if (!keys.Copy(key, length, &key_copy)) {
    MemberPool().GiveBack(record);
    return nullptr;
  }
  const int32_t bucket = BucketOf(key, length);
  *record = MemberRecord{ChainOf(table, bucket), key_copy, MakeNullJsonValue()};
  table.buckets[bucket] = record;
  table.filled_buckets |= BucketBit(bucket);
  ++table.count;
  table.current = record;
  table.current_bucket = bucket;
  return &record->value;
}

MemberRecord* FindMemberRecord(MemberTable& table, const char16_t* key, size_t length) {
  const int32_t bucket = BucketOf(key, length);
  for (MemberRecord* record = ChainOf(table, bucket); record != nullptr; record = record->next) {
    if (KeyEquals(record->key, key, length)) {
      table.current = record;
      table.current_bucket = bucket;
      return record;
    }
  }
  return nullptr;
}

void ResetMemberCursor(MemberTable& table) {
  table.current = nullptr;
  table.current_bucket = -1;
}

MemberRecord* AdvanceMemberCursor(MemberTable& table) {
  if (table.current != nullptr) {
    table.current = table.current->next;
    if (table.current == nullptr) {
      table.current = FirstRecordFrom(table, table.current_bucket + 1, &table.current_bucket);
    }
  } else if (table.current_bucket == -1) {
    table.current = FirstRecordFrom(table, 0, &table.current_bucket);
    // An empty table must not look reset again, or the next call would start over.
    if (table.current == nullptr) table.current_bucket = kMemberBucketCount;
  }
  return table.current;
}

void FreeMemberTable(MemberTable* table) {
  if (table == nullptr) return;
  for (int32_t bucket = FilledBucketFrom(table->filled_buckets, 0); bucket < kMemberBucketCount;
       bucket = FilledBucketFrom(table->filled_buckets, bucket + 1)) {
    for (MemberRecord* record = table->buckets[bucket]; record != nullptr;) {
      MemberRecord* next = record->next;
      ResetJsonValue(record->value);
      MemberPool().GiveBack(record);
      record = next;
    }
  }
  TablePool().GiveBack(table);
}

}  // namespace llmbridge

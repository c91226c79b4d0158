// MemberTable: the members of an Object, a chained hash table of 64 buckets with one cursor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "json/json_value.h"
#include "json/text_arena.h"

namespace llmbridge {

constexpr int32_t kMemberBucketCount = 64;

struct MemberRecord {
  MemberRecord* next;  // next record of the same bucket, added earlier
  char16_t* key;       // NUL-terminated, in the document's text arena; null for the empty key
  JsonValue value;
};

struct MemberTable {
  size_t count;
  MemberRecord* current;   // the cursor's member, or null
  int32_t current_bucket;  // -1 after a reset; with no member current otherwise: past the end
  // Bit b is set once bucket b holds a chain. Buckets whose bit is clear are never read, so a
  // new table needs no pass over its 64 heads.
  uint64_t filled_buckets;
  MemberRecord* buckets[kMemberBucketCount];  // newest record first in each chain
};

// A new empty table owned by the caller, with its cursor reset; null when storage cannot be had.
MemberTable* NewMemberTable();

// The value of the member named `key`, which becomes current. A key already present has its
// value reset to Null and keeps its place; a new key is copied into `keys` and inserted at the
// head of its bucket. Returns null when storage cannot be had.
JsonValue* AddMember(MemberTable& table, const char16_t* key, size_t length, TextArena& keys);

// The member named exactly `key`, made current, or null (the cursor then stays put).
MemberRecord* FindMemberRecord(MemberTable& table, const char16_t* key, size_t length);

// Resets the cursor: no member current, bucket -1.
void ResetMemberCursor(MemberTable& table);

// Moves the cursor to the next member in visiting order (ascending bucket, newest first within a
// bucket). Returns the member now current, or null once past the end, where it stays until reset.
MemberRecord* AdvanceMemberCursor(MemberTable& table);

// Frees every member value in visiting order, then the records and table; null is ignored. The
// keys stay in their arena.
void FreeMemberTable(MemberTable* table);

}  // namespace llmbridge

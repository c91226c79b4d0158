// MemberTable: the members of an Object, a chained hash table of 64 buckets with one cursor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "json/json_value.h"
#include "json/member_index.h"
#include "json/text_arena.h"

namespace llmbridge {

constexpr int32_t kMemberBucketCount = 64;

struct MemberRecord {
  MemberRecord* next;  // next record of the same bucket, added earlier
  char16_t* key;       // NUL-terminated, in the document's text arena; null for the empty key
  JsonValue value;
};

// Bucket heads a table keeps in itself; a table with more filled buckets keeps its heads in an
// array of 8, 16, 32 or 64 slots from a pool. Most objects in answers fill six buckets or fewer.
constexpr uint32_t kInlineHeadCount = 6;

// The head slots a table with `filled` buckets holds: the inline ones, or the smallest array
// that takes them all. Slots are only added, so this follows from the count alone.
uint32_t MemberHeadCapacity(uint32_t filled);

struct MemberTable {
  // Members fit 32 bits, as their texts do; two 32-bit fields side by side leave room for the
  // index pointer without making the table larger.
  uint32_t count;
  int32_t current_bucket;  // -1 after a reset; with no member current otherwise: past the end
  MemberRecord* current;   // the cursor's member, or null
  MemberIndex* index;      // from kIndexedMemberCount members on; owned; null before
  // Bit b is set once bucket b holds a chain. Only those buckets have a head, stored in bucket
  // order: the head of bucket b sits after the heads of the filled buckets below b. An object
  // with a few members so needs a few slots instead of 64.
  uint64_t filled_buckets;
  union {
    MemberRecord* inline_heads[kInlineHeadCount];  // while at most that many buckets are filled
    MemberRecord** spilled_heads;                  // beyond that; owned
  };
};

// Whether `stored`, a key of a member record, is exactly the `length` units of `key`.
inline bool MemberKeyEquals(const char16_t* stored, const char16_t* key, size_t length) {
  if (stored == nullptr) return length == 0;
  for (size_t i = 0; i < length; ++i) {
    if (stored[i] != key[i]) return false;  // also stops at the stored key's NUL
  }
  return stored[length] == 0;
}

// The bits set in `bits`. The compilers' builtin becomes a library call on targets without a
// population-count instruction, which includes the DLL's. No bits is the common case: most
// objects have one member, and no bucket lies below the first filled one.
inline uint32_t CountBucketBits(uint64_t bits) {
  if (bits == 0) return 0;
  bits -= (bits >> 1) & 0x5555555555555555u;
  bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
  bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<uint32_t>((bits * 0x0101010101010101u) >> 56);
}

// The buckets of `table` that hold a chain.
inline uint32_t FilledBucketCount(const MemberTable& table) {
  return CountBucketBits(table.filled_buckets);
}

inline uint64_t BucketBit(int32_t bucket) { return uint64_t{1} << bucket; }

// Where the head of a filled `bucket` is stored: after the heads of the filled buckets below it.
inline uint32_t HeadIndex(uint64_t filled_buckets, int32_t bucket) {
  return CountBucketBits(filled_buckets & (BucketBit(bucket) - 1));
}

// The head slots of `table`, which has `filled` buckets filled.
inline MemberRecord** HeadsOf(MemberTable& table, uint32_t filled) {
  return filled <= kInlineHeadCount ? table.inline_heads : table.spilled_heads;
}

// The same, counting the filled buckets only when it must. Every filled bucket holds a member, so
// a table of no more members than inline heads keeps them inline; most tables are that small.
inline MemberRecord** HeadsOf(MemberTable& table) {
  if (table.count <= kInlineHeadCount) return table.inline_heads;
  return HeadsOf(table, FilledBucketCount(table));
}

// A new empty table owned by the caller, with its cursor reset; null when storage cannot be had.
MemberTable* NewMemberTable();

// The value of the member named `key`, which becomes current. A key already present has its
// value reset to Null and keeps its place; a new key is copied into `keys` and inserted at the
// head of its bucket. `key` holds no NUL. Returns null, leaving the members as they were, when
// storage cannot be had. Finding a repeated key takes the same time whatever the buckets of the
// earlier keys: large tables keep an index.
JsonValue* AddMember(MemberTable& table, const char16_t* key, size_t length, TextArena& keys);

// The member named exactly `key`, made current, or null (the cursor then stays put).
MemberRecord* FindMemberRecord(MemberTable& table, const char16_t* key, size_t length);

// Resets the cursor: no member current, bucket -1.
inline void ResetMemberCursor(MemberTable& table) {
  table.current = nullptr;
  table.current_bucket = -1;
}

// The chain of the first filled bucket from `bucket` on, whose number goes to `found_bucket`; null
// when there is none.
inline MemberRecord* FirstChainFrom(MemberTable& table, int32_t bucket, int32_t* found_bucket) {
  const uint64_t rest = bucket < kMemberBucketCount ? table.filled_buckets >> bucket : 0;
  if (rest == 0) return nullptr;
  bucket += __builtin_ctzll(rest);
  *found_bucket = bucket;
  return HeadsOf(table)[HeadIndex(table.filled_buckets, bucket)];
}

// Moves the cursor to the next member in visiting order (ascending bucket, newest first within a
// bucket). Returns the member now current, or null once past the end, where it stays until reset.
// Inline: a walk calls it once per member.
inline MemberRecord* AdvanceMemberCursor(MemberTable& table) {
  if (table.current != nullptr) {
    table.current = table.current->next;
    if (table.current == nullptr) {
      table.current = FirstChainFrom(table, table.current_bucket + 1, &table.current_bucket);
    }
  } else if (table.current_bucket == -1) {
    table.current = FirstChainFrom(table, 0, &table.current_bucket);
    // An empty table must not look reset again, or the next call would start over.
    if (table.current == nullptr) table.current_bucket = kMemberBucketCount;
  }
  return table.current;
}

// Frees every member value in visiting order, then the records and table; null is ignored. The
// keys stay in their arena.
void FreeMemberTable(MemberTable* table);

}  // namespace llmbridge

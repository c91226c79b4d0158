// MemberIndex: finds a member of a large object by its key in a number of steps that does not
// depend on how the keys fall into the table's 64 buckets. The buckets' hash is fixed, since the
// visiting order follows from it, so a server can send thousands of keys that all share one
// bucket; this index hashes keys with a seed chosen when the process first needs it instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace llmbridge {

struct MemberRecord;

// An open-addressed set of member records, keyed by their keys; owned by its table.
struct MemberIndex {
  size_t capacity;  // slots, a power of two; at most half of them are filled
  // The slots follow the header in the same allocation; null marks an empty slot.
  MemberRecord** slots() { return reinterpret_cast<MemberRecord**>(this + 1); }
};

// Tables with fewer members search their bucket's chain, which is faster while chains are short.
constexpr size_t kIndexedMemberCount = 32;

// Whether a table of `count` members needs an index larger than `index` (null: none) before a
// new member is added. Inline: every new member asks, and most tables are small.
inline bool MemberIndexMustGrow(const MemberIndex* index, size_t count) {
  if (count + 1 < kIndexedMemberCount) return false;
  return index == nullptr || index->capacity / 2 < count + 1;
}

// A new index, owned by the caller, with room for `count` + 1 members and holding the records
// of `chains` (the heads of `chain_count` chains); null when storage cannot be had.
MemberIndex* NewMemberIndex(size_t count, MemberRecord* const* chains, uint32_t chain_count);

// The record named exactly `key`, or null.
MemberRecord* FindIndexedMember(MemberIndex& index, const char16_t* key, size_t length);

// Adds `record`, whose key `index` does not hold yet and whose length is `length`.
void IndexMember(MemberIndex& index, MemberRecord* record, size_t length);

// Null is ignored.
void FreeMemberIndex(MemberIndex* index);

}  // namespace llmbridge

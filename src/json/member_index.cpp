#include "json/member_index.h"

#include <chrono>
#include <cstring>
#include <string>

#include "json/json_memory.h"
#include "json/member_table.h"

namespace llmbridge {
namespace {

constexpr size_t kSmallestCapacity = 2 * kIndexedMemberCount;

uint64_t Mix(uint64_t x) {
  x ^= x >> 32;
  x *= 0xD6E8FEB86659FD93u;
  x ^= x >> 32;
  x *= 0xD6E8FEB86659FD93u;
  return x ^ (x >> 32);
}

// Chosen once per process from the clock and from where the library was loaded, so that a
// server cannot know in advance which keys collide.
uint64_t Seed() {
  static const uint64_t seed =
      Mix(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
          static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&Seed)));
  return seed;
}

// The key's hash, four code units at a time.
uint64_t KeyHash(const char16_t* key, size_t length) {
  uint64_t hash = Seed() ^ length;
  size_t i = 0;
  for (; length - i >= 4; i += 4) {
    uint64_t word;
    std::memcpy(&word, key + i, sizeof word);
    hash = Mix(hash ^ word);
  }
  uint64_t tail = 0;
  std::memcpy(&tail, key + i, (length - i) * sizeof(char16_t));
  return Mix(hash ^ tail);
}

size_t KeyLength(const char16_t* stored) {
  return stored == nullptr ? 0 : std::char_traits<char16_t>::length(stored);
}

// Room for `members` with at most half of the slots filled.
size_t CapacityFor(size_t members) {
  size_t capacity = kSmallestCapacity;
  while (capacity / 2 < members) capacity *= 2;
  return capacity;
}

}  // namespace

MemberIndex* NewMemberIndex(size_t count, MemberRecord* const* chains, uint32_t chain_count) {
  const size_t capacity = CapacityFor(count + 1);
  if (capacity > (SIZE_MAX - sizeof(MemberIndex)) / sizeof(MemberRecord*)) return nullptr;
  auto* index = static_cast<MemberIndex*>(
      JsonAllocate(sizeof(MemberIndex) + capacity * sizeof(MemberRecord*)));
  if (index == nullptr) return nullptr;
  index->capacity = capacity;
  std::memset(index->slots(), 0, capacity * sizeof(MemberRecord*));
  for (uint32_t chain = 0; chain < chain_count; ++chain) {
    for (MemberRecord* record = chains[chain]; record != nullptr; record = record->next) {
      IndexMember(*index, record, KeyLength(record->key));
    }
  }
  return index;
}

MemberRecord* FindIndexedMember(MemberIndex& index, const char16_t* key, size_t length) {
  const size_t mask = index.capacity - 1;
  MemberRecord** slots = index.slots();
  for (size_t slot = KeyHash(key, length) & mask; slots[slot] != nullptr;
       slot = (slot + 1) & mask) {
    if (MemberKeyEquals(slots[slot]->key, key, length)) return slots[slot];
  }
  return nullptr;
}

void IndexMember(MemberIndex& index, MemberRecord* record, size_t length) {
  const size_t mask = index.capacity - 1;
  MemberRecord** slots = index.slots();
  size_t slot = KeyHash(record->key == nullptr ? u"" : record->key, length) & mask;
  while (slots[slot] != nullptr) slot = (slot + 1) & mask;
  slots[slot] = record;
}

void FreeMemberIndex(MemberIndex* index) { JsonFree(index); }

}  // namespace llmbridge

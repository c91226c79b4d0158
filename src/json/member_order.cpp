#include "json/member_order.h"

#include <chrono>
#include <cstring>

#include "json/json_memory.h"

namespace llmbridge {
namespace {

// Objects up to this many members look for repeated keys and sort without a table: comparing
// with every member before is faster while there are few.
constexpr uint32_t kLargestSmallObject = 16;

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

// The seeded hash of a key, four code units at a time.
uint64_t SeededHash(const char16_t* key, size_t length) {
  uint64_t hash = Seed() ^ length;
  size_t i = 0;
  for (; length - i >= 4; i += 4) {
    uint64_t word;
    std::memcpy(&word, key + i, sizeof word);
    hash = Mix(hash ^ word);
  }
  uint64_t tail = 0;
  if (length > i) std::memcpy(&tail, key + i, (length - i) * sizeof(char16_t));
  return Mix(hash ^ tail);
}

// Members naming a key the parse remembered share its record.
bool SameKey(const JsonMember& a, const JsonMember& b) {
  return a.key == b.key ||
         (a.key->bucket == b.key->bucket && MemberKeyIs(a, b.key->units(), b.key->length));
}

}  // namespace

RepeatedKeys::~RepeatedKeys() { JsonFree(slots_); }

size_t RepeatedKeys::Reserve(uint32_t count) {
  // At most half of the slots are filled. Only the slots an object uses are cleared, so a small
  // object after a large one costs no more than it would alone.
  size_t capacity = 64;
  while (capacity / 2 < count) capacity *= 2;
  if (capacity > capacity_) {
    auto* slots = static_cast<uint32_t*>(JsonAllocate(capacity * sizeof(uint32_t)));
    if (slots == nullptr) return 0;
    JsonFree(slots_);
    slots_ = slots;
    capacity_ = capacity;
  }
  std::memset(slots_, 0, capacity * sizeof(uint32_t));
  return capacity;
}

bool RepeatedKeys::Merge(JsonMember* members, uint32_t* count, uint32_t* last_named) {
  const uint32_t total = *count;
  uint32_t kept = 0;
  uint32_t last = 0;
  if (total <= kLargestSmallObject) {
    // A key in a bucket no earlier key fell in is new without a comparison; most keys are.
    uint64_t filled_buckets = 0;
    for (uint32_t i = 0; i < total; ++i) {
      const uint64_t bucket_bit = uint64_t{1} << members[i].key->bucket;
      uint32_t earlier = (filled_buckets & bucket_bit) == 0 ? kept : 0;
      filled_buckets |= bucket_bit;
      while (earlier < kept && !SameKey(members[earlier], members[i])) ++earlier;
      if (earlier < kept) {
        members[earlier].value = members[i].value;
      } else {
        members[kept++] = members[i];
      }
      last = earlier;
    }
  } else {
    const size_t capacity = Reserve(total);
    if (capacity == 0) return false;
    const size_t mask = capacity - 1;
    for (uint32_t i = 0; i < total; ++i) {
      const JsonMember& member = members[i];
      size_t slot = static_cast<size_t>(SeededHash(member.key->units(), member.key->length)) & mask;
      while (slots_[slot] != 0 && !SameKey(members[slots_[slot] - 1], member)) {
        slot = (slot + 1) & mask;
      }
      if (slots_[slot] != 0) {
        last = slots_[slot] - 1;
        members[last].value = member.value;
      } else {
        last = kept;
        members[kept++] = member;
        slots_[slot] = kept;
      }
    }
  }
  *count = kept;
  *last_named = last;
  return true;
}

void OrderMembers(const JsonMember* kept, uint32_t count, uint32_t last_named, JsonObject& object) {
  JsonMember* run = object.members;
  object.count = count;
  object.cursor = count == 0 ? kMemberCursorReset : 0;
  if (count <= kLargestSmallObject) {
    // Each member goes before the members of its bucket and after those of lower buckets.
    uint32_t cursor = 0;
    for (uint32_t i = 0; i < count; ++i) {
      // Moved up one by one from the end: a call to move a few members would cost more.
      const uint32_t bucket = kept[i].key->bucket;
      uint32_t place = i;
      for (; place > 0 && run[place - 1].key->bucket >= bucket; --place)
        run[place] = run[place - 1];
      run[place] = kept[i];
      if (i == last_named) {
        cursor = place;
      } else if (i > last_named && place <= cursor) {
        ++cursor;
      }
    }
    if (count != 0) object.cursor = cursor;
    return;
  }
  // A counting sort by bucket, filling each bucket from its end: the newest member comes first.
  uint32_t ends[kMemberBucketCount] = {};
  for (uint32_t i = 0; i < count; ++i) ++ends[kept[i].key->bucket];
  uint32_t sum = 0;
  for (uint32_t& end : ends) {
    sum += end;
    end = sum;
  }
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t place = --ends[kept[i].key->bucket];
    run[place] = kept[i];
    if (i == last_named) object.cursor = place;
  }
}

}  // namespace llmbridge

#include "json/json_object.h"

#include <cstddef>

namespace llmbridge {

const JsonKey* EmptyJsonKey() {
  // The record and, right after it, the terminating NUL its units() points at.
  struct Empty {
    JsonKey key;
    char16_t terminator;
  };
  static_assert(offsetof(Empty, terminator) == sizeof(JsonKey), "the units follow the record");
  static constexpr Empty kEmpty = {{0, 0}, 0};
  return &kEmpty.key;
}

JsonMember* FindObjectMember(JsonObject& object, const char16_t* key, size_t length) {
  // A walk looks up the member it stands on: that one needs no search.
  JsonMember* current = CurrentMember(object);
  if (current != nullptr && MemberKeyIs(*current, key, length)) return current;
  const uint32_t bucket = MemberBucket(key, length);
  // The first member of the bucket, by bisection over the run sorted by bucket.
  uint32_t low = 0;
  uint32_t high = object.count;
  while (low < high) {
    const uint32_t middle = low + (high - low) / 2;
    if (object.members[middle].key->bucket < bucket) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  for (uint32_t i = low; i < object.count && object.members[i].key->bucket == bucket; ++i) {
    if (MemberKeyIs(object.members[i], key, length)) {
      object.cursor = i;
      return &object.members[i];
    }
  }
  return nullptr;
}

}  // namespace llmbridge

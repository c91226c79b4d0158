// JsonObject: the members of an Object in one flat run, already in visiting order, with the
// object's member cursor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "json/json_value.h"
#include "text/text_hash.h"

namespace llmbridge {

constexpr uint32_t kMemberBucketCount = 64;

// The bucket that places a key in the visiting order.
inline uint32_t MemberBucket(const char16_t* key, size_t length) {
  return HashText(key, length) % kMemberBucketCount;
}

// A member's name as a document stores it: its length and bucket, then its NUL-terminated UTF-16
// units. One record serves every member that names the same key while the parse remembers it.
struct JsonKey {
  uint32_t length;
  uint32_t bucket;  // MemberBucket of the units
  const char16_t* units() const { return reinterpret_cast<const char16_t*>(this + 1); }
};

// The bytes of the record of a key of `length` units.
inline size_t JsonKeyBytes(size_t length) {
  return sizeof(JsonKey) + (length + 1) * sizeof(char16_t);
}

// The record of the empty key, which needs no storage of its own.
const JsonKey* EmptyJsonKey();

// A value and its name: two words and the value, where the name's length and bucket would take
// a third.
struct JsonMember {
  JsonValue value;
  const JsonKey* key;
};

// The members sort by ascending bucket and, within a bucket, from the key that first appeared
// last in the text to the one that first appeared first; a repeated key keeps the place of its
// first appearance and the value of its last. Visiting them is walking the run.
struct JsonObject {
  uint32_t count;
  // The current member's index; kMemberCursorReset after BeginMembers; `count` once past the end.
  // The parse leaves it on the member named last in the text.
  uint32_t cursor;
  JsonMember members[1];  // `count` of them; the storage ends after the last
};

constexpr uint32_t kMemberCursorReset = UINT32_MAX;

// Bytes of an object of `count` members.
inline size_t JsonObjectBytes(uint32_t count) {
  return offsetof(JsonObject, members) + count * sizeof(JsonMember);
}

// The current member, or null.
inline JsonMember* CurrentMember(JsonObject& object) {
  return object.cursor < object.count ? &object.members[object.cursor] : nullptr;
}

// Moves the cursor to the next member in visiting order and returns it; null once past the end,
// where the cursor stays until reset.
inline JsonMember* AdvanceMemberCursor(JsonObject& object) {
  if (object.cursor == kMemberCursorReset) {
    object.cursor = 0;
  } else if (object.cursor < object.count) {
    ++object.cursor;
  }
  return CurrentMember(object);
}

// Whether `member`'s key is exactly the `length` units of `key`.
inline bool MemberKeyIs(const JsonMember& member, const char16_t* key, size_t length) {
  if (member.key->length != length) return false;
  const char16_t* units = member.key->units();
  for (size_t i = 0; i < length; ++i) {
    if (units[i] != key[i]) return false;
  }
  return true;
}

// The member named exactly `key`, made current, or null (the cursor then stays put). Searches the
// members of the key's bucket only.
JsonMember* FindObjectMember(JsonObject& object, const char16_t* key, size_t length);

}  // namespace llmbridge

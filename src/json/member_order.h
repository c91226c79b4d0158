// How an object's members, collected in text order while it is parsed, become the run of a
// JsonObject in visiting order when the object closes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "json/json_object.h"

namespace llmbridge {

// Finds repeated keys among the members of one object. Small objects compare keys directly;
// larger ones go through a table hashed with a seed chosen when the process first needs it, so
// that a server cannot send keys that collide in it. Owns that table, reused object after object.
class RepeatedKeys {
 public:
  RepeatedKeys() = default;
  ~RepeatedKeys();
  RepeatedKeys(const RepeatedKeys&) = delete;
  RepeatedKeys& operator=(const RepeatedKeys&) = delete;

  // `members` holds `*count` members in text order. Merges each repeated
  // key into its first appearance, which takes the value of the last, and moves the members kept
  // to the front, in the order of their first appearance; `*count` becomes their number and
  // `*last_named` the index among them of the key named last in the text. False, changing
  // nothing, when storage for the table cannot be had.
  bool Merge(JsonMember* members, uint32_t* count, uint32_t* last_named);

 private:
  // Clears room for `count` keys; returns the slots to use, a power of two, or 0 when storage
  // cannot be had.
  size_t Reserve(uint32_t count);

  uint32_t* slots_ = nullptr;  // 1 + the index of a kept member; 0 for an empty slot
  size_t capacity_ = 0;        // a power of two
};

// Writes the `count` members of `kept` (text order, no repeated key) into `object` in visiting
// order: ascending bucket, and within a bucket from the newest to the oldest. The cursor stands
// on the member that was kept[last_named]. `object` has room for `count` members.
void OrderMembers(const JsonMember* kept, uint32_t count, uint32_t last_named, JsonObject& object);

}  // namespace llmbridge

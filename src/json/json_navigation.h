// Reading a parsed document. Every value is borrowed from its document; results that can be none
// are null then. A value of another kind than an operation expects gives that operation's neutral
// result (false, 0, null or the empty text) and changes nothing. Only cursors move.
//
// A walk over a document calls the kind, cursor and element functions once per member or element,
// so they are defined here, where the compiler can inline them.
#pragma once

#include <cstdint>
#include <string_view>

#include "json/json_object.h"
#include "json/json_value.h"
#include "text/text.h"

namespace llmbridge {

inline JsonKind GetKind(const JsonValue& value) { return value.kind; }

// Objects: resets the member cursor. True for any object, the empty one included.
inline bool BeginMembers(JsonValue& value) {
  if (value.kind != JsonKind::Object) return false;
  value.object->cursor = kMemberCursorReset;
  return true;
}

// Objects: moves the member cursor on in visiting order; true while a member is current.
inline bool NextMember(JsonValue& value) {
  return value.kind == JsonKind::Object && AdvanceMemberCursor(*value.object) != nullptr;
}

// Objects: the current member's value, or null when none is current.
inline JsonValue* MemberValue(JsonValue& value) {
  if (value.kind != JsonKind::Object) return nullptr;
  JsonMember* member = CurrentMember(*value.object);
  return member == nullptr ? nullptr : &member->value;
}

// Objects: a copy of the current member's key; empty when none is current.
Text MemberKey(const JsonValue& value);
// Objects: the current member's key, borrowed like MemberKey's source; empty when none is current.
std::u16string_view BorrowMemberKey(const JsonValue& value);
// Objects: whether the current member is named exactly `key`; false when none is current.
bool CurrentMemberKeyIs(const JsonValue& value, std::u16string_view key);
// Objects: the value of the member named exactly `key`, which becomes current; null if absent.
JsonValue* FindMember(JsonValue& value, const Text& key);

// Strings: a copy of the content. Throws std::bad_alloc when storage cannot be had.
Text GetString(const JsonValue& value);
// Strings: the content, borrowed from the document. The first read of a string kept undecoded
// decodes it into the document's storage, and throws std::bad_alloc, changing nothing, when
// that storage cannot be had.
std::u16string_view BorrowString(const JsonValue& value);
// Numbers and Booleans as 32 signed bits: integers keep their low 32 bits; doubles are
// truncated toward zero, and give INT32_MIN when out of range or not a number.
int32_t GetInteger(const JsonValue& value);
// Booleans: 0 for false, 1 for true.
int32_t GetBoolean(const JsonValue& value);

// Arrays: the element count (at most INT32_MAX).
inline int32_t ArraySize(const JsonValue& value) {
  if (value.kind != JsonKind::Array) return 0;
  return value.length < uint32_t{INT32_MAX} ? static_cast<int32_t>(value.length) : INT32_MAX;
}

// Arrays: the element at the 0-based `index`; null when out of range. Elements lie side by side,
// so any index is one step away.
inline JsonValue* ArrayElement(JsonValue& value, int32_t index) {
  if (value.kind != JsonKind::Array || index < 0 || static_cast<uint32_t>(index) >= value.length)
    return nullptr;
  return &value.elements[index];
}

// Objects: the member count.
inline uint32_t MemberCount(const JsonValue& value) {
  return value.kind == JsonKind::Object ? value.object->count : 0;
}

}  // namespace llmbridge

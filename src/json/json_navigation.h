// Reading a parsed document. Every value is borrowed from its document; results that can be none
// are null then. A value of another kind than an operation expects gives that operation's neutral
// result (false, 0, null or the empty text) and changes nothing. Only cursors move.
#pragma once

#include <cstdint>
#include <string_view>

#include "json/json_value.h"
#include "text/text.h"

namespace llmbridge {

JsonKind GetKind(const JsonValue& value);

// Objects: resets the member cursor. True for any object, the empty one included.
bool BeginMembers(JsonValue& value);
// Objects: moves the member cursor on in visiting order; true while a member is current.
bool NextMember(JsonValue& value);
// Objects: the current member's value, or null when none is current.
JsonValue* MemberValue(JsonValue& value);
// Objects: a copy of the current member's key; empty when none is current.
Text MemberKey(const JsonValue& value);
// Objects: the current member's key, borrowed like MemberKey's source; empty when none is current.
std::u16string_view BorrowMemberKey(const JsonValue& value);
// Objects: the value of the member named exactly `key`, which becomes current; null if absent.
JsonValue* FindMember(JsonValue& value, const Text& key);

// Strings: a copy of the content.
Text GetString(const JsonValue& value);
// Strings: the content, borrowed from the document.
std::u16string_view BorrowString(const JsonValue& value);
// Numbers and Booleans as 32 signed bits: integers keep their low 32 bits; doubles are
// truncated toward zero, and give INT32_MIN when out of range or not a number.
int32_t GetInteger(const JsonValue& value);
// Booleans: 0 for false, 1 for true.
int32_t GetBoolean(const JsonValue& value);

// Arrays: the element count (at most INT32_MAX).
int32_t ArraySize(const JsonValue& value);
// Arrays: the element at the 0-based `index`, made current; null when out of range.
JsonValue* ArrayElement(JsonValue& value, int32_t index);

}  // namespace llmbridge

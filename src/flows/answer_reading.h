// Null-tolerant steps for reading a parsed answer by path: each takes what the step before gave,
// which may be none or of another kind, and gives none (or the empty text) then.
#pragma once

#include "json/json_navigation.h"
#include "text/text.h"

namespace llmbridge {

inline bool IsKind(const JsonValue* value, JsonKind kind) {
  return value != nullptr && GetKind(*value) == kind;
}

// The member named `key` of an object.
inline JsonValue* MemberOf(JsonValue* object, const Text& key) {
  return IsKind(object, JsonKind::Object) ? FindMember(*object, key) : nullptr;
}

// The element at `index` of an array.
inline JsonValue* ElementOf(JsonValue* array, int32_t index) {
  return IsKind(array, JsonKind::Array) ? ArrayElement(*array, index) : nullptr;
}

// The text of a string.
inline Text StringOf(const JsonValue* value) {
  return IsKind(value, JsonKind::String) ? GetString(*value) : Text();
}

}  // namespace llmbridge

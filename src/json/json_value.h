// JsonValue: one node of a parsed document.
#pragma once

#include <cstddef>
#include <cstdint>

namespace llmbridge {

enum class JsonKind : int16_t {
  Null = 0,
  String = 1,
  Number = 2,
  Boolean = 3,
  Array = 4,
  Object = 5
};

struct ElementList;
struct MemberTable;

struct JsonValue {
  JsonKind kind;
  uint8_t is_float;  // 1 when a Number holds `real`, else 0
  // String: the units of `text`, taken when it was stored, so that reading a string needs no
  // search for its end (a chat reply may be megabytes long); 0 otherwise.
  uint32_t text_length;
  union {
    int64_t integer;        // Number without the float flag; Boolean 0 or 1
    double real;            // Number with the float flag
    char16_t* text;         // String: NUL-terminated, in the document's text arena; null when empty
    ElementList* elements;  // Array: owned
    MemberTable* members;   // Object: owned
  };
};

// The length of a String sits where the union's alignment leaves room anyway.
static_assert(sizeof(JsonValue) == 16, "a value is a kind, a flag, a length and one word");

// A Null value with every field zero.
inline JsonValue MakeNullJsonValue() {
  JsonValue value;
  value.kind = JsonKind::Null;
  value.is_float = 0;
  value.text_length = 0;
  value.integer = 0;
  return value;
}

// Frees the list or table of an Array or Object value, recursively.
void FreeJsonContainer(JsonValue& value);

// Frees whatever `value` owns, recursively, and makes it Null. Texts belong to the document's
// arena and stay until the document is freed.
inline void ResetJsonValue(JsonValue& value) {
  if (value.kind == JsonKind::Array || value.kind == JsonKind::Object) FreeJsonContainer(value);
  value = MakeNullJsonValue();
}

// Length of a member key; 0 for null. String values keep their length in `text_length`.
size_t JsonTextLength(const char16_t* text);

}  // namespace llmbridge

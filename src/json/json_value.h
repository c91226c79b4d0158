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

struct JsonObject;

// How a String holds its content.
enum class StringForm : uint8_t {
  Decoded = 0,    // `text`
  Undecoded = 1,  // `bytes`, decoded to `text` when first read
  Inline = 2,     // `units`
};

// The most UTF-16 units a String holds in the value itself, with their terminating NUL: a short
// string costs no storage of its own, and nothing to decode when it is read.
constexpr size_t kInlineStringUnits = 3;

// Every value lives in its document's arena, with everything it refers to: a document is freed
// all at once, never value by value.
struct JsonValue {
  JsonKind kind;
  uint8_t is_float;  // 1 when a Number holds `real`, else 0
  StringForm form;   // Decoded for every kind but String
  // String: its UTF-16 units, decoded or not, so that reading it needs no search for its end (a
  // chat reply may be megabytes long). Array: its elements. 0 otherwise.
  uint32_t length;
  union {
    int64_t integer;             // Number without the float flag; Boolean 0 or 1
    double real;                 // Number with the float flag
    char16_t* text;              // String, Decoded: NUL-terminated
    const unsigned char* bytes;  // String, Undecoded: as the input spelled it (undecoded_string.h)
    char16_t units[kInlineStringUnits + 1];  // String, Inline: NUL-terminated
    JsonValue* elements;  // Array: `length` values in document order; null when empty
    JsonObject* object;   // Object: its members and cursor
  };
};

// The flag, the form and the length sit where the union's alignment leaves room anyway.
static_assert(sizeof(JsonValue) == 16, "a value is a kind, a flag, a form, a length and one word");

// A Null value with every field zero.
inline JsonValue MakeNullJsonValue() {
  JsonValue value;
  value.kind = JsonKind::Null;
  value.is_float = 0;
  value.form = StringForm::Decoded;
  value.length = 0;
  value.integer = 0;
  return value;
}

}  // namespace llmbridge

#include "json/json_value.h"

#include "json/element_list.h"
#include "json/member_table.h"

namespace llmbridge {

void ResetJsonValue(JsonValue& value) {
  switch (value.kind) {
    case JsonKind::Array:
      FreeElementList(value.elements);
      break;
    case JsonKind::Object:
      FreeMemberTable(value.members);
      break;
    case JsonKind::Null:
    case JsonKind::String:
    case JsonKind::Number:
    case JsonKind::Boolean:
      break;
  }
  const uint8_t folds_keys = value.folds_keys;
  value = MakeNullJsonValue();
  value.folds_keys = folds_keys;
}

JsonValue MakeNullJsonValue() {
  JsonValue value;
  value.kind = JsonKind::Null;
  value.is_float = 0;
  value.folds_keys = 0;
  value.integer = 0;
  return value;
}

size_t JsonTextLength(const char16_t* text) {
  size_t length = 0;
  if (text != nullptr) {
    while (text[length] != 0) ++length;
  }
  return length;
}

}  // namespace llmbridge

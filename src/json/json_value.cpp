#include "json/json_value.h"

#include <cstring>

#include "json/element_list.h"
#include "json/json_memory.h"
#include "json/member_table.h"

namespace llmbridge {

void ResetJsonValue(JsonValue& value) {
  switch (value.kind) {
    case JsonKind::String:
      JsonFree(value.text);
      break;
    case JsonKind::Array:
      FreeElementList(value.elements);
      break;
    case JsonKind::Object:
      FreeMemberTable(value.members);
      break;
    case JsonKind::Null:
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

bool CopyJsonText(const char16_t* units, size_t length, char16_t** copy) {
  *copy = nullptr;
  if (length == 0) return true;
  if (length > SIZE_MAX / sizeof(char16_t) - 1) return false;
  auto* storage = static_cast<char16_t*>(JsonAllocate((length + 1) * sizeof(char16_t)));
  if (storage == nullptr) return false;
  std::memcpy(storage, units, length * sizeof(char16_t));
  storage[length] = 0;
  *copy = storage;
  return true;
}

size_t JsonTextLength(const char16_t* text) {
  size_t length = 0;
  if (text != nullptr) {
    while (text[length] != 0) ++length;
  }
  return length;
}

}  // namespace llmbridge

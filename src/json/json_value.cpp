#include "json/json_value.h"

#include "json/element_list.h"
#include "json/member_table.h"

namespace llmbridge {

void FreeJsonContainer(JsonValue& value) {
  if (value.kind == JsonKind::Array) FreeElementList(value.elements);
  if (value.kind == JsonKind::Object) FreeMemberTable(value.members);
}

size_t JsonTextLength(const char16_t* text) {
  size_t length = 0;
  if (text != nullptr) {
    while (text[length] != 0) ++length;
  }
  return length;
}

}  // namespace llmbridge

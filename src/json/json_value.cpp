#include "json/json_value.h"

#include "json/element_list.h"
#include "json/member_table.h"

namespace llmbridge {

void FreeJsonContainer(JsonValue& value) {
  if (value.kind == JsonKind::Array) FreeElementList(value.elements);
  if (value.kind == JsonKind::Object) FreeMemberTable(value.members);
}

size_t JsonTextLength(const char16_t* text) {
  if (text == nullptr) return 0;
  // Four units a round, each read only once the one before it was not the NUL: a walk measures
  // the whole reply of a chat answer, megabytes long.
  for (const char16_t* unit = text;; unit += 4) {
    if (unit[0] == 0) return static_cast<size_t>(unit - text);
    if (unit[1] == 0) return static_cast<size_t>(unit - text) + 1;
    if (unit[2] == 0) return static_cast<size_t>(unit - text) + 2;
    if (unit[3] == 0) return static_cast<size_t>(unit - text) + 3;
  }
}

}  // namespace llmbridge

#include "json/element_list.h"

#include "json/record_pool.h"

namespace llmbridge {
namespace {

RecordPool& ElementPool() { return SharedRecordPool<sizeof(ElementRecord)>(); }

RecordPool& ListPool() { return SharedRecordPool<sizeof(ElementList)>(); }

ElementRecord* WalkForward(ElementRecord* record, size_t steps) {
  while (steps-- > 0) record = record->next;
  return record;
}

ElementRecord* WalkBackward(ElementRecord* record, size_t steps) {
  while (steps-- > 0) record = record->previous;
  return record;
}

}  // namespace

ElementList* NewElementList() {
  auto* list = static_cast<ElementList*>(ListPool().Take());
  if (list != nullptr) *list = ElementList{nullptr, nullptr, 0, nullptr, 0};
  return list;
}

JsonValue* AppendElement(ElementList& list) {
  auto* record = static_cast<ElementRecord*>(ElementPool().Take());
  if (record == nullptr) return nullptr;
  *record = ElementRecord{list.last, nullptr, MakeNullJsonValue()};
  if (list.last != nullptr)
    list.last->next = record;
  else
    list.first = record;
  list.last = record;
  list.current = record;
  list.current_index = list.count++;
  return &record->value;
}

ElementRecord* SeekElementFromNearest(ElementList& list, size_t index) {
  if (index >= list.count) {
    list.current = nullptr;
    return nullptr;
  }
  const size_t last_index = list.count - 1;
  ElementRecord* found;
  if (list.current == nullptr) {
    found = index < list.count / 2 ? WalkForward(list.first, index)
                                   : WalkBackward(list.last, last_index - index);
  } else if (index > list.current_index) {
    const size_t ahead = index - list.current_index;
    found = ahead < list.count - index ? WalkForward(list.current, ahead)
                                       : WalkBackward(list.last, last_index - index);
  } else {
    const size_t behind = list.current_index - index;
    found = behind < index ? WalkBackward(list.current, behind) : WalkForward(list.first, index);
  }
  list.current = found;
  list.current_index = index;
  return found;
}

void FreeElementList(ElementList* list) {
  if (list == nullptr) return;
  ElementRecord* record = list->first;
  while (record != nullptr) {
    ElementRecord* next = record->next;
    ResetJsonValue(record->value);
    ElementPool().GiveBack(record);
    record = next;
  }
  ListPool().GiveBack(list);
}

}  // namespace llmbridge

// ElementList: the elements of an Array, a doubly linked list in document order.
#pragma once

#include <cstddef>

#include "json/json_value.h"

namespace llmbridge {

struct ElementRecord {
  ElementRecord* previous;
  ElementRecord* next;
  JsonValue value;
};

struct ElementList {
  ElementRecord* first;
  ElementRecord* last;
  size_t count;
  ElementRecord* current;  // null while no element is current
  size_t current_index;    // meaningful only while an element is current
};

// A new empty list owned by the caller, or null when storage cannot be had.
ElementList* NewElementList();

// Appends a Null element, makes it current and returns its value (owned by the list), or null
// when storage cannot be had.
JsonValue* AppendElement(ElementList& list);

// SeekElement for any index: walks from the nearest of the first, the last and the current record.
ElementRecord* SeekElementFromNearest(ElementList& list, size_t index);

// Makes the element at `index` current, walking from the nearest of the first, the last and the
// current record, and returns it; an index out of range gives null and leaves none current.
inline ElementRecord* SeekElement(ElementList& list, size_t index) {
  // The element after the current one, as a walk over the list asks for, is one step away.
  if (list.current != nullptr && list.current->next != nullptr && index == list.current_index + 1) {
    list.current = list.current->next;
    list.current_index = index;
    return list.current;
  }
  return SeekElementFromNearest(list, index);
}

// Frees every element value, first to last, then the records and the list; null is ignored.
void FreeElementList(ElementList* list);

}  // namespace llmbridge

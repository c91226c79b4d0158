#include "json/json_document.h"

#include <new>

#include "json/json_memory.h"

namespace llmbridge {

JsonDocument::JsonDocument(size_t expected_units)
    : root(MakeNullJsonValue()), arena(expected_units) {}

JsonDocument* NewJsonDocument(size_t expected_units) {
  void* storage = JsonAllocate(sizeof(JsonDocument));
  return storage == nullptr ? nullptr : new (storage) JsonDocument(expected_units);
}

void FreeJsonDocument(JsonDocument* document) {
  if (document == nullptr) return;
  document->~JsonDocument();
  JsonFree(document);
}

}  // namespace llmbridge

#include "json/json_document.h"

#include <new>

#include "json/json_memory.h"

namespace llmbridge {

JsonDocument::JsonDocument(size_t expected_text_units)
    : root(MakeNullJsonValue()), texts(expected_text_units) {}

JsonDocument::~JsonDocument() { ResetJsonValue(root); }

JsonDocument* NewJsonDocument(size_t expected_text_units) {
  void* storage = JsonAllocate(sizeof(JsonDocument));
  return storage == nullptr ? nullptr : new (storage) JsonDocument(expected_text_units);
}

void FreeJsonDocument(JsonDocument* document) {
  if (document == nullptr) return;
  document->~JsonDocument();
  JsonFree(document);
}

}  // namespace llmbridge

// JsonDocument: what one parse builds and a slot holds.
#pragma once

#include <cstddef>

#include "json/document_arena.h"
#include "json/json_value.h"

namespace llmbridge {

// The root value and the arena that holds everything under it: texts, elements and members are
// freed all at once, with the document, whatever the depth of the tree.
struct JsonDocument {
  explicit JsonDocument(size_t expected_units);
  JsonDocument(const JsonDocument&) = delete;
  JsonDocument& operator=(const JsonDocument&) = delete;

  JsonValue root;
  DocumentArena arena;
};

// A new document with a Null root, owned by the caller; null when storage cannot be had.
// `expected_units` sizes the arena's chunks (see DocumentArena).
JsonDocument* NewJsonDocument(size_t expected_units);

// Frees a document from NewJsonDocument; null is ignored.
void FreeJsonDocument(JsonDocument* document);

}  // namespace llmbridge

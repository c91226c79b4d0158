// JsonDocument: what one parse builds and a slot holds.
#pragma once

#include <cstddef>

#include "json/json_value.h"
#include "json/text_arena.h"

namespace llmbridge {

// The root value and the arena that holds the texts of every String value and member key in the
// tree, so those texts are freed all at once, with the document.
struct JsonDocument {
  explicit JsonDocument(size_t expected_text_units);
  ~JsonDocument();  // frees the root's value, recursively, then the texts
  JsonDocument(const JsonDocument&) = delete;
  JsonDocument& operator=(const JsonDocument&) = delete;

  JsonValue root;
  TextArena texts;
};

// A new document with a Null root, owned by the caller; null when storage cannot be had.
// `expected_text_units` sizes the text arena (see TextArena).
JsonDocument* NewJsonDocument(size_t expected_text_units);

// Frees a document from NewJsonDocument; null is ignored.
void FreeJsonDocument(JsonDocument* document);

}  // namespace llmbridge

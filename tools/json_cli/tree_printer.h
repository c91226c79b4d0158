// Printing parsed documents and texts as UTF-8 for people reading a terminal.
#pragma once

#include <cstdio>

#include "json/json_value.h"
#include "text/text.h"

namespace llmbridge::inspector {

// Writes `text` as a JSON string literal: quotes, backslashes, control characters and unpaired
// surrogates escaped, everything else as UTF-8.
void PrintQuoted(std::FILE* out, const Text& text);

// Writes the tree under `value` indented, members in the order the walkers visit them. Moves the
// member and element cursors as any walk does.
void PrintTree(std::FILE* out, JsonValue& value);

}  // namespace llmbridge::inspector

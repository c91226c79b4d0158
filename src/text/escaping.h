// Text operations the request bodies are built with.
#pragma once

#include "text/text.h"

namespace llmbridge {

// Escapes `text` for the inside of a JSON string: '"' and '\' as backslash pairs; backspace, tab,
// line feed, form feed and carriage return as \b \t \n \f \r; every other code unit below U+0020
// as \u00XX. Everything else (solidus, U+007F, non-ASCII, surrogates) passes unchanged, so the
// result is always a valid JSON string body.
Text EscapeText(const Text& text);
// The same appended to `out`, with no copy of the escaped text on the way: a reply of many
// megabytes goes into the conversation at the cost of its size once.
void AppendEscaped(Text& out, const Text& text);

// Replaces every occurrence of `find`, left to right and without overlap, by `replacement`.
// An empty text or an empty `find` gives a copy of `text`.
Text ReplaceText(const Text& text, const Text& find, const Text& replacement);

}  // namespace llmbridge

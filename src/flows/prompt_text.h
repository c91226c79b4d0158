// A host's prompt as the request bodies carry it.
#pragma once

#include "text/text.h"

namespace llmbridge {

// Makes a prompt fit between the quotes of a JSON string. Each CR LF pair becomes one space
// first, so a backslash in the prompt can never combine with an escaped line break.
Text PreparePrompt(const Text& prompt);

}  // namespace llmbridge

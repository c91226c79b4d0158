// Reads the body and imagebody options: one JSON object, checked strictly against RFC 8259.
#pragma once

#include <vector>

#include "state/host_options.h"
#include "text/text.h"

namespace llmbridge {

// Whether `text` is exactly one JSON object under RFC 8259's grammar, with whitespace around it
// allowed: no leading zeros, no raw control characters in strings, no key repeated within any
// object (keys compared after their escapes are resolved), nesting at most 256 deep. On success
// `members` holds the object's own members in their order, each as written; otherwise `reason`
// says what is wrong and where (the character's position, counted from 1).
bool ReadJsonObjectOption(const Text& text, std::vector<OptionMember>& members, Text& reason);

}  // namespace llmbridge

// Reading a server's answer body into one of the library's JSON documents.
#pragma once

#include <cstdint>
#include <string_view>

#include "json/json_value.h"

namespace llmbridge {

// Parses an answer's body, its UTF-8 bytes followed by a zero byte as ResponseBodyBytes gives
// them, into JSON `slot`; the new root, or null when the parse failed (an earlier document in the
// slot is never handed out for a later answer). Throws std::bad_alloc when the parser ran out of
// memory: an answer there was no room to read is a failed call, not an answer without content.
JsonValue* ParseAnswerInto(int32_t slot, std::string_view body);

}  // namespace llmbridge

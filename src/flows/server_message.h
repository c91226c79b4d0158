// The server's own words in an answer that reports an error. Providers differ: an "error" object
// with a "message" (OpenAI and most others), the same wrapped in a one-element array (Gemini), a
// flat "message" or "detail", an "error" that is a string (Ollama), an HTML page, or plain text.
#pragma once

#include <cstdint>
#include <string_view>

#include "json/json_value.h"
#include "text/text.h"

namespace llmbridge {

// The JSON slot error answers are parsed into by the calls of the exports; a live exchange's
// thread names a slot of its own.
constexpr int32_t kErrorAnswerSlot = 1;

// The longest message handed on, in UTF-16 units: an error page can be megabytes.
constexpr size_t kLongestServerMessage = 1024;

// The message of an error answer's body (its UTF-8 bytes, followed by a zero byte as
// ResponseBodyBytes gives them): from the JSON members above, else an HTML page's title or its
// text without tags, else the start of the body. At most kLongestServerMessage units, cut
// between characters; empty for an empty body. Parses into its own JSON slot, never slot 0.
Text ServerMessage(std::string_view body, int32_t slot = kErrorAnswerSlot);

// The message of the "error" member of a parsed answer (a string, or an object's "message"),
// empty when it has none: some local servers answer a bad request with status 200 and such a
// member.
Text ErrorMemberMessage(JsonValue* root);

}  // namespace llmbridge

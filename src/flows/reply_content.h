// Reading a chat answer's reply where OpenAI documents it.
#pragma once

#include "json/json_value.h"
#include "text/text.h"

namespace llmbridge {

// choices[0].message.content: a string, or a list of parts whose "text" parts' texts are joined.
// Sets `reply` and returns true when the answer has it; false, leaving `reply` alone, otherwise
// (no such member, or a null content as in an answer of tool calls).
bool ReadDocumentedContent(JsonValue* root, Text& reply);

}  // namespace llmbridge

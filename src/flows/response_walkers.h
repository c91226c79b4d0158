// The walks over parsed answers: each visits the whole tree depth-first, in member visiting
// order, and keeps string members it meets in LibraryState.
#pragma once

#include "json/json_value.h"
#include "text/text.h"

namespace llmbridge {

// Chat answers: ChatReply is emptied on entering every object (so also when `root` is null) and
// replaced by every "content" string member met after that.
void CollectContent(JsonValue* root);

// The reply CollectContent would leave in ChatReply, without touching LibraryState: for a reader
// on a thread of its own.
Text ContentOf(JsonValue* root);

// Model lists: every "id" string member is added to ModelList (replacing it while ModelCount is
// 0, then joined with a carriage return); ModelCount becomes 1.
void CollectModelIds(JsonValue* root);

// Image answers: ImageResult becomes the last string member met, whatever its key.
void CollectLastString(JsonValue* root);

}  // namespace llmbridge

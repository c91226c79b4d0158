// ParseJson: JSON text to a document in a numbered slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/text.h"

namespace llmbridge {

// Arrays and objects nested deeper than this are refused: parsing, freeing and walking recurse
// once per level, and a hostile answer must not exhaust the host's stack.
constexpr int kMaxJsonDepth = 1000;

// Parses `text`, up to its first NUL, into `slot`: on success the slot's previous document is
// freed, the new one stored, and the result is the slot's handle (slot + 1, never 0). On failure
// the result is 0, everything built is freed and the slot is left exactly as it was.
// Never throws.
int64_t ParseJson(int32_t slot, const Text& text);

// Parses UTF-8 bytes as ParseJson parses the text FromNarrow decodes from them, with the same
// result, document and message (storage permitting), without decoding them first. `utf8` holds
// no zero byte and is followed by one, as a C string is.
int64_t ParseUtf8Json(int32_t slot, std::string_view utf8);

// What made the last parse fail: the message (a static string; null after a success) and the
// offset, in code units of the input (bytes for UTF-8), of where the parser stood.
struct JsonError {
  const char* message;
  size_t offset;
};
JsonError LastJsonError();

// The message of a parse that ran out of memory, the very string LastJsonError points at.
extern const char kJsonOutOfMemory[];

}  // namespace llmbridge

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

// Why a parse failed. Every cause has one message, JsonErrorMessage's.
enum class JsonErrorCode : uint8_t {
  None,  // the parse succeeded
  EndOfInput,
  UnexpectedCharacter,
  InvalidNumber,
  InvalidEscape,
  MemberNameExpected,
  ColonExpected,
  NestingTooDeep,
  InvalidSlot,
  OutOfMemory,
};

// What made a parse fail, and the offset, in code units of the input (bytes for UTF-8), of where
// the parser stood then; None and 0 after a success.
struct JsonError {
  JsonErrorCode code;
  size_t offset;
};

// The message of `code`, a static string ("Out of memory", "Unexpected character"...); null for
// None.
const char* JsonErrorMessage(JsonErrorCode code);

// Parses `text`, up to its first NUL, into `slot`: on success the slot's previous document is
// freed, the new one stored, and the result is the slot's handle (slot + 1, never 0). On failure
// the result is 0, everything built is freed and the slot is left exactly as it was. `error`,
// unless null, receives what made the parse fail. Never throws.
int64_t ParseJson(int32_t slot, const Text& text, JsonError* error = nullptr);

// Parses UTF-8 bytes as ParseJson parses the text FromNarrow decodes from them, with the same
// result, document and error (storage permitting), without decoding them first. `utf8` holds
// no zero byte and is followed by one, as a C string is.
int64_t ParseUtf8Json(int32_t slot, std::string_view utf8, JsonError* error = nullptr);

}  // namespace llmbridge

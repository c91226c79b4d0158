// Conversion between the host's narrow strings and the library's texts.
#pragma once

#include <cstdint>
#include <string>

#include "text/text.h"

namespace llmbridge {

enum class NarrowEncoding {
  Ansi,  // the process's ANSI code page: every argument and result at the host boundary
  Utf8,  // response data of the HTTP transport
};

// Converts at most `length` bytes (-1: up to the first zero byte; below -1 counts as 0), never
// past the first zero byte. Invalid bytes become the code page's replacement character.
// A null pointer reads as the empty string.
Text FromNarrow(const char* bytes, int32_t length, NarrowEncoding encoding);

// Converts `text` to the ANSI code page into a new NUL-terminated block of the BlockHeap, of
// exactly the converted size. Characters the code page lacks become its best fit or its default
// character. Returns null when the block cannot be allocated. The caller owns the block.
char* ToNarrow(const Text& text);

// Converts `text` to bytes in `encoding`, for the library's own use (request bodies, header
// lines, URLs). UTF-8 turns unpaired surrogates into U+FFFD; the ANSI code page converts as
// ToNarrow does.
std::string EncodeText(const Text& text, NarrowEncoding encoding);

}  // namespace llmbridge

// UTF-8 <-> UTF-16 in plain C++, converting exactly as Windows' MultiByteToWideChar and
// WideCharToMultiByte do with CP_UTF8 and flags 0: invalid input becomes U+FFFD, never an error.
#pragma once

#include <cstddef>

namespace llmbridge::codepage {

// Both follow the DecodeNarrow/EncodeNarrow contract of code_page.h: with `out` null they return
// the size needed; otherwise the size written, or 0 when `capacity` is too small.
int Utf8Decode(const char* bytes, int count, char16_t* out, int capacity);
int Utf8Encode(const char16_t* units, int count, char* out, int capacity);

// Where the sequence starts that `count` bytes end before it is complete, which decoding turns,
// with every byte after it, into one U+FFFD; `count` when the input ends on a whole sequence.
// Only the last three bytes can start one.
size_t Utf8CutSequenceStart(const char* bytes, size_t count);

}  // namespace llmbridge::codepage

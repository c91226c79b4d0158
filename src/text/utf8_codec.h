// UTF-8 <-> UTF-16 in plain C++, converting exactly as Windows' MultiByteToWideChar and
// WideCharToMultiByte do with CP_UTF8 and flags 0: invalid input becomes U+FFFD, never an error.
#pragma once

namespace llmbridge::codepage {

// Both follow the DecodeNarrow/EncodeNarrow contract of code_page.h: with `out` null they return
// the size needed; otherwise the size written, or 0 when `capacity` is too small.
int Utf8Decode(const char* bytes, int count, char16_t* out, int capacity);
int Utf8Encode(const char16_t* units, int count, char* out, int capacity);

}  // namespace llmbridge::codepage

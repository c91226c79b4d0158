// Windows-1252 <-> UTF-16 in plain C++, converting exactly as Windows does for code page 1252 with
// flags 0: the five bytes 1252 leaves undefined decode to the C1 controls of the same value, and
// characters 1252 lacks encode to Windows' best-fit byte where it has one, else to '?'.
#pragma once

namespace llmbridge::codepage {

// Both follow the DecodeNarrow/EncodeNarrow contract of code_page.h.
int Cp1252Decode(const char* bytes, int count, char16_t* out, int capacity);
int Cp1252Encode(const char16_t* units, int count, char* out, int capacity);

}  // namespace llmbridge::codepage

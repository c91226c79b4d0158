// The platform's code-page conversion, behind one seam: Windows calls MultiByteToWideChar and
// WideCharToMultiByte; elsewhere our own converters stand in for them with the same results.
#pragma once

namespace llmbridge::codepage {

enum class CodePage { Ansi, Utf8 };

// Decodes `count` bytes. With `out` null returns the number of code units needed; otherwise
// writes them and returns how many were written, or 0 when `capacity` is too small.
int DecodeNarrow(CodePage page, const char* bytes, int count, char16_t* out, int capacity);

// Encodes `count` code units, with the same counting and writing rules as DecodeNarrow.
int EncodeNarrow(CodePage page, const char16_t* units, int count, char* out, int capacity);

}  // namespace llmbridge::codepage

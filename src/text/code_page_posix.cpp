#include "text/code_page.h"
#include "text/cp1252_codec.h"
#include "text/utf8_codec.h"

namespace llmbridge::codepage {

// The ANSI code page of the POSIX build is chosen when the library is built: Windows-1252, the
// Western code page most hosts run with, unless LLMBRIDGE_ANSI_IS_UTF8 selects UTF-8.
#ifdef LLMBRIDGE_ANSI_IS_UTF8
constexpr bool kAnsiIsUtf8 = true;
#else
constexpr bool kAnsiIsUtf8 = false;
#endif

int DecodeNarrow(CodePage page, const char* bytes, int count, char16_t* out, int capacity) {
  if (page == CodePage::Utf8 || kAnsiIsUtf8) return Utf8Decode(bytes, count, out, capacity);
  return Cp1252Decode(bytes, count, out, capacity);
}

int EncodeNarrow(CodePage page, const char16_t* units, int count, char* out, int capacity) {
  if (page == CodePage::Utf8 || kAnsiIsUtf8) return Utf8Encode(units, count, out, capacity);
  return Cp1252Encode(units, count, out, capacity);
}

}  // namespace llmbridge::codepage

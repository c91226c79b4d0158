#include <windows.h>

#include "text/code_page.h"

namespace llmbridge::codepage {

namespace {
UINT WindowsCodePage(CodePage page) { return page == CodePage::Utf8 ? CP_UTF8 : CP_ACP; }
}  // namespace

int DecodeNarrow(CodePage page, const char* bytes, int count, char16_t* out, int capacity) {
  return MultiByteToWideChar(WindowsCodePage(page), 0, bytes, count,
                             reinterpret_cast<wchar_t*>(out), out ? capacity : 0);
}

int EncodeNarrow(CodePage page, const char16_t* units, int count, char* out, int capacity) {
  return WideCharToMultiByte(WindowsCodePage(page), 0, reinterpret_cast<const wchar_t*>(units),
                             count, out, out ? capacity : 0, nullptr, nullptr);
}

}  // namespace llmbridge::codepage

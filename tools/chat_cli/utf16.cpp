#include "utf16.h"

#include <vector>

#include "text/utf16_units.h"
#include "text/utf8_codec.h"

namespace llmbridge::chat_cli {

// The library's own converters, built into this program too, convert as the Windows API does.
WideString ToUtf16(const std::string& text) {
  const int count = static_cast<int>(text.size());
  std::u16string units(static_cast<size_t>(codepage::Utf8Decode(text.data(), count, nullptr, 0)),
                       u'\0');
  units.resize(static_cast<size_t>(
      codepage::Utf8Decode(text.data(), count, units.data(), static_cast<int>(units.size()))));
  return WideString(units.begin(), units.end());
}

std::string ToUtf8(const llmbridge_wchar* text) {
  if (text == nullptr) return std::string();
  const std::u16string units(text, text + Utf16Length(text));
  const int count = static_cast<int>(units.size());
  std::string bytes(static_cast<size_t>(codepage::Utf8Encode(units.data(), count, nullptr, 0)),
                    '\0');
  bytes.resize(static_cast<size_t>(
      codepage::Utf8Encode(units.data(), count, bytes.data(), static_cast<int>(bytes.size()))));
  return bytes;
}

}  // namespace llmbridge::chat_cli

#include "text/narrow_text.h"

#include <cstring>

#include "memory/block_heap.h"
#include "memory/checked_size.h"
#include "text/code_page.h"

namespace llmbridge {

namespace {

codepage::CodePage PageOf(NarrowEncoding encoding) {
  return encoding == NarrowEncoding::Utf8 ? codepage::CodePage::Utf8 : codepage::CodePage::Ansi;
}

// Bytes before the first zero byte, but no more than `length` unless it is -1.
int CountBytes(const char* bytes, int32_t length) {
  if (length == -1) return CheckedLength(std::strlen(bytes));
  const void* zero = std::memchr(bytes, 0, static_cast<size_t>(length));
  return zero ? static_cast<int>(static_cast<const char*>(zero) - bytes) : length;
}

}  // namespace

Text FromNarrow(const char* bytes, int32_t length, NarrowEncoding encoding) {
  if (bytes == nullptr || length < -1) return Text();
  const int count = CountBytes(bytes, length);
  if (count == 0) return Text();
  const codepage::CodePage page = PageOf(encoding);
  // No code page gives more UTF-16 code units than it reads bytes, so one pass into room for
  // `count` units saves the pass that would only count them; text in other scripts than Latin
  // gives fewer units than bytes, and the text is then trimmed to its size. Should a decoder
  // ever need more room, it writes nothing, and the text is decoded again at its counted size.
  Text text(static_cast<size_t>(count), u'\0');
  int written = codepage::DecodeNarrow(page, bytes, count, text.data(), count);
  if (written == 0) {
    const int needed = codepage::DecodeNarrow(page, bytes, count, nullptr, 0);
    text.assign(static_cast<size_t>(needed), u'\0');
    written = codepage::DecodeNarrow(page, bytes, count, text.data(), needed);
  }
  text.resize(static_cast<size_t>(written));
  if (written < count) text.shrink_to_fit();
  // A decoder may produce U+0000 only from a zero byte, which CountBytes already excluded.
  return text;
}

char* ToNarrow(const Text& text) {
  // The terminating zero is converted along with the text, so the sizes include it.
  const int units = CheckedLength(text.size() + 1);
  const int needed =
      codepage::EncodeNarrow(codepage::CodePage::Ansi, text.c_str(), units, nullptr, 0);
  if (needed <= 0) return nullptr;
  char* block = static_cast<char*>(AllocateZeroedBlock(needed));
  if (block == nullptr) return nullptr;
  codepage::EncodeNarrow(codepage::CodePage::Ansi, text.c_str(), units, block, needed);
  return block;
}

std::string EncodeText(const Text& text, NarrowEncoding encoding) {
  const codepage::CodePage page = PageOf(encoding);
  const int units = CheckedLength(text.size());
  if (units == 0) return std::string();
  const int needed = codepage::EncodeNarrow(page, text.data(), units, nullptr, 0);
  std::string bytes(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
  bytes.resize(
      static_cast<size_t>(codepage::EncodeNarrow(page, text.data(), units, bytes.data(), needed)));
  return bytes;
}

}  // namespace llmbridge

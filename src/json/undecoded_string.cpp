#include "json/undecoded_string.h"

#include <mutex>
#include <new>

#include "json/document_arena.h"
#include "json/json_memory.h"

namespace llmbridge {

void DecodeUndecodedContent(const unsigned char* content, size_t units, char16_t* out) {
  const unsigned char* p = content;
  char16_t* const end = out + units;
  while (out != end) {
    // Every unit takes at least one byte, so eight units to go leave eight bytes to read.
    if (end - out >= 8) {
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      const int plain = PlainAsciiBytes(word);
      WidenEightBytes(word, out);
      out += plain;
      p += plain;
      if (plain == 8) continue;
    }
    const unsigned char c = *p;
    if (c == '\\' && p[1] == 'u') {
      const unsigned char* bad;
      *out++ = static_cast<char16_t>(HexEscapeValue(p + 2, &bad));
      p += 6;
    } else if (c == '\\') {
      *out++ = SingleLetterEscape(p[1]);
      p += 2;
    } else if (c >= 0x80) {
      // Well-formed, so the sequence's own bytes are all that is read.
      out += codepage::ToUtf16(codepage::DecodeWellFormedUtf8(p, p + 4), out);
    } else {
      *out++ = c;
      ++p;
    }
  }
}

void DecodeUndecodedString(JsonValue& string) {
  DocumentArena& arena = DocumentArena::ArenaOf(string.bytes);
  char16_t* text;
  {
    // The arena may need a chunk from the storage every parse shares, on any thread.
    const std::lock_guard<std::mutex> storage(JsonStorageLock());
    text = arena.CarveUnits(size_t{string.length} + 1);
  }
  if (text == nullptr) throw std::bad_alloc();
  DecodeUndecodedContent(string.bytes, string.length, text);
  text[string.length] = 0;
  string.text = text;
  string.form = StringForm::Decoded;
}

}  // namespace llmbridge

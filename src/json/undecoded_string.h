// Strings a parse of UTF-8 bytes keeps as the input spelled them, escape sequences included, and
// their decoding to UTF-16 when they are first read. Most strings of an answer are never read:
// keeping them undecoded saves the decoding and half their storage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "json/escape_letters.h"
#include "json/json_value.h"
#include "json/plain_run.h"
#include "text/utf8_sequence.h"

namespace llmbridge {

// The longest content, in bytes, kept undecoded. Longer strings are few, and they are the ones
// walkers read (a chat reply): decoded while parsed, they are never held in both forms.
constexpr size_t kLongestUndecodedString = 4096;

// Scans the content of a string from `begin`, just after its opening quotation mark, in an input
// that ends at `end`, its terminating NUL. Returns the closing quotation mark when the content
// can be kept undecoded: at most kLongestUndecodedString bytes of well-formed UTF-8 whose escape
// sequences are all valid and none \u0000 (which ends what a string stores). `*units` then
// receives the number of UTF-16 units the content decodes to. Returns null for any other content,
// which the parser reads the general way, reporting any error there; so a string kept undecoded
// holds no broken UTF-8, and a lone surrogate it holds stays the escape sequence that spelled it.
inline const char* EndOfUndecodedString(const char* begin, const char* end, size_t* units) {
  const auto* first = reinterpret_cast<const uint8_t*>(begin);
  const auto* last = reinterpret_cast<const uint8_t*>(end);
  const uint8_t* p = first;
  size_t spare_bytes = 0;  // bytes that give no unit of their own
  for (;;) {
    if (last - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      const int plain = PlainAsciiBytes(word);
      p += plain;
      if (plain == 8) {
        if (static_cast<size_t>(p - first) > kLongestUndecodedString) return nullptr;
        continue;
      }
    }
    const uint8_t c = *p;
    if (c == '"') break;
    if (c >= 0x80) {
      // The run of other characters: text in another script than Latin is made of them, and
      // looking for ASCII between two of them would cost more than the check itself.
      do {
        const uint8_t* sequence = p;
        const char32_t value = codepage::DecodeWellFormedUtf8(p, last);
        if (value == 0) return nullptr;
        spare_bytes += static_cast<size_t>(p - sequence) - (value < 0x10000 ? 1 : 2);
      } while (*p >= 0x80 && static_cast<size_t>(p - first) <= kLongestUndecodedString);
    } else if (c == '\\') {
      if (SingleLetterEscape(p[1]) != 0) {
        p += 2;
        spare_bytes += 1;
      } else {
        const uint8_t* bad;
        if (p[1] != 'u' || HexEscapeValue(p + 2, &bad) <= 0) return nullptr;
        p += 6;
        spare_bytes += 5;
      }
    } else if (c == 0) {
      return nullptr;
    } else {
      ++p;  // a control character, stored raw like any other
    }
    if (static_cast<size_t>(p - first) > kLongestUndecodedString) return nullptr;
  }
  *units = static_cast<size_t>(p - first) - spare_bytes;
  return reinterpret_cast<const char*>(p);
}

// Decodes the `units` UTF-16 units of content EndOfUndecodedString accepted into `out`.
void DecodeUndecodedContent(const unsigned char* content, size_t units, char16_t* out);

// Decodes a String kept undecoded into storage of its document, which then holds the decoded
// form. Throws std::bad_alloc, leaving the value as it was, when that storage cannot be had.
void DecodeUndecodedString(JsonValue& string);

}  // namespace llmbridge

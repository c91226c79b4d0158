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
#include "text/utf8_check.h"
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
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  const auto* first = reinterpret_cast<const uint8_t*>(begin);
  const auto* last = reinterpret_cast<const uint8_t*>(end);
  const uint8_t* p = first;
  // Of well-formed UTF-8, a continuation byte gives no unit of its own, and the lead of a
  // four-byte sequence gives two: a count of bytes that give no unit keeps the units apart.
  size_t spare_bytes = 0;
  const auto check_byte = [&](codepage::Utf8CheckState check, uint8_t byte) {
    spare_bytes += codepage::IsContinuation(byte);
    spare_bytes -= byte >= 0xF0;
    return codepage::NextUtf8CheckState(check, byte);
  };
  // The check runs on through every byte, ASCII ones included, in words of eight while no
  // quotation mark, backslash or NUL is among them: text in other scripts than Latin mixes
  // sequences of every length with ASCII, which a branch per sequence would guess wrong.
  codepage::Utf8CheckState check = codepage::Utf8CheckStart();
  for (;;) {
    if (static_cast<size_t>(p - first) > kLongestUndecodedString) return nullptr;
    if (last - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      const uint64_t ends = PlainRunEnds<char>(word);
      if (ends == 0) {
        const uint64_t high = word & kHighBits;
        if (high == 0) {
          if (!codepage::Utf8CheckComplete(check)) return nullptr;
        } else {
          for (int i = 0; i < 8; ++i) check = codepage::NextUtf8CheckState(check, p[i]);
          // Bytes 10xxxxxx, less bytes 1111xxxx, each counted by its high bit.
          const uint64_t continuations = high & ~(word << 1);
          const uint64_t four_byte_leads = high & (word << 1) & (word << 2) & (word << 3);
          constexpr uint64_t kSumOfBytes = 0x0101010101010101u;
          spare_bytes += static_cast<size_t>(((continuations >> 7) * kSumOfBytes) >> 56);
          spare_bytes -= static_cast<size_t>(((four_byte_leads >> 7) * kSumOfBytes) >> 56);
        }
        p += 8;
        continue;
      }
      // The lowest mark is the first byte that ends the run.
      const uint8_t* run_end = p + __builtin_ctzll(ends) / 8;
      for (; p != run_end; ++p) check = check_byte(check, *p);
    }
    const uint8_t c = *p;
    if (c == '"') break;
    if (c == '\\') {
      if (!codepage::Utf8CheckComplete(check)) return nullptr;
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
      check = check_byte(check, c);  // one of the last few bytes of the input
      ++p;
    }
  }
  // The last steps may have gone a few bytes past the bound.
  if (static_cast<size_t>(p - first) > kLongestUndecodedString ||
      !codepage::Utf8CheckComplete(check)) {
    return nullptr;
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

// One UTF-8 sequence to one Unicode scalar value, and that value to UTF-16, inline: the decoder of
// narrow text and the JSON parser, which decodes answers as it reads them, step through every
// non-ASCII character this way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace llmbridge::codepage {

inline bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Decodes whatever DecodeWellFormedUtf8 does not, from the non-ASCII byte at `cursor`, the way
// Windows does: one U+FFFD for each broken piece. Moves past what it took.
char32_t DecodeBrokenUtf8Sequence(const uint8_t*& cursor, const uint8_t* end);

// Decodes the well-formed sequence of two, three or four bytes at `cursor` and moves past it;
// returns 0, with `cursor` left alone, for anything else. Text in other scripts than Latin is
// made of these, and a well-formed sequence needs none of the per-byte checks of a broken one.
// Always inline: it is the inner step of each decoding loop, which the compiler would otherwise
// share a call to.
[[gnu::always_inline]] inline char32_t DecodeWellFormedUtf8(const uint8_t*& cursor,
                                                            const uint8_t* end) {
  const uint8_t* p = cursor;
  const uint8_t lead = p[0];
  const ptrdiff_t left = end - p;
  if (lead < 0xE0) {
    if (lead < 0xC2 || left < 2 || !IsContinuation(p[1])) return 0;
    cursor = p + 2;
    return (char32_t{lead} & 0x1F) << 6 | (p[1] & 0x3F);
  }
  if (lead < 0xF0) {
    if (left < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2])) return 0;
    const char32_t value =
        (char32_t{lead} & 0x0F) << 12 | char32_t{p[1] & 0x3Fu} << 6 | (p[2] & 0x3F);
    if (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF)) return 0;  // overlong, surrogate
    cursor = p + 3;
    return value;
  }
  if (lead > 0xF4 || left < 4 || !IsContinuation(p[1]) || !IsContinuation(p[2]) ||
      !IsContinuation(p[3])) {
    return 0;
  }
  const char32_t value = (char32_t{lead} & 0x07) << 18 | char32_t{p[1] & 0x3Fu} << 12 |
                         char32_t{p[2] & 0x3Fu} << 6 | (p[3] & 0x3F);
  if (value < 0x10000 || value > 0x10FFFF) return 0;  // overlong, or beyond Unicode
  cursor = p + 4;
  return value;
}

// The scalar value of the sequence whose non-ASCII first byte is at `cursor`, moving past it;
// `end` is the end of the whole input, since a sequence it cuts short decodes differently.
[[gnu::always_inline]] inline char32_t DecodeUtf8Sequence(const uint8_t*& cursor,
                                                          const uint8_t* end) {
  const char32_t value = DecodeWellFormedUtf8(cursor, end);
  if (value != 0) return value;
  // A copy of the cursor goes to the call, so that the caller's cursor can stay in a register
  // through its loop instead of living in memory for a call it seldom makes.
  const uint8_t* broken = cursor;
  const char32_t replaced = DecodeBrokenUtf8Sequence(broken, end);
  cursor = broken;
  return replaced;
}

// Writes `value` as UTF-16, a surrogate pair beyond the Basic Multilingual Plane; returns the
// units written.
inline int ToUtf16(char32_t value, char16_t* units) {
  if (value < 0x10000) {
    units[0] = static_cast<char16_t>(value);
    return 1;
  }
  units[0] = static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
  units[1] = static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
  return 2;
}

}  // namespace llmbridge::codepage

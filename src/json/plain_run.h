// Runs of plain string content, found a word at a time: the parser skips them, and strings kept
// as they came are read through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace llmbridge {

// A word of eight bytes holds 8 / sizeof(Unit) code units; this constant has a 1 in each.
template <typename Unit>
constexpr uint64_t kEveryUnit = ~uint64_t{0} / ((uint64_t{1} << (8 * sizeof(Unit))) - 1);

// Marks the code units packed in `word` that end a run of plain string content, a quotation mark,
// a backslash or a NUL, each by its high bit. A unit equal to `c` is a zero unit in
// word ^ (c in every unit), and subtracting one from each unit borrows into the high bit of a
// zero unit that was clear. A borrow also runs on into the units above a zero one, so only the
// lowest mark is sure to be right; a word without marks holds none of the three.
template <typename Unit>
uint64_t PlainRunEnds(uint64_t word) {
  constexpr uint64_t kEvery = kEveryUnit<Unit>;
  constexpr uint64_t kHighBits = kEvery << (8 * sizeof(Unit) - 1);
  const auto zero_units = [](uint64_t units) { return (units - kEvery) & ~units & kHighBits; };
  return zero_units(word) | zero_units(word ^ (kEvery * '"')) | zero_units(word ^ (kEvery * '\\'));
}

// The first code unit from `p` on that ends a run of plain string content. `end` is the end of
// the input: whole words are read only before it, the units of the last word one at a time.
template <typename Unit>
const Unit* EndOfPlainRun(const Unit* p, const Unit* end) {
  constexpr ptrdiff_t kUnitsPerWord = sizeof(uint64_t) / sizeof(Unit);
  for (; end - p >= kUnitsPerWord; p += kUnitsPerWord) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if (PlainRunEnds<Unit>(word) != 0) break;
  }
  while (*p != '"' && *p != '\\' && *p != 0) ++p;
  return p;
}

// The number of plain ASCII bytes at the start of the eight in `word` (the first byte lowest):
// bytes before the first quotation mark, backslash, NUL or byte of a multi-byte sequence.
inline int PlainAsciiBytes(uint64_t word) {
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the first byte is the lowest");
  const uint64_t ends = PlainRunEnds<char>(word) | (word & (kEveryUnit<char> << 7));
  return ends == 0 ? 8 : __builtin_ctzll(ends) / 8;
}

// The first byte from `p` on that is not plain ASCII: a quotation mark, a backslash, a NUL or a
// byte of a multi-byte sequence. `end` is as for EndOfPlainRun.
inline const char* EndOfPlainAscii(const char* p, const char* end) {
  for (; end - p >= 8; p += 8) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const int plain = PlainAsciiBytes(word);
    if (plain != 8) return p + plain;
  }
  while (*p != '"' && *p != '\\' && *p != 0 && static_cast<unsigned char>(*p) < 0x80) ++p;
  return p;
}

// Writes the eight bytes of `word` (the first lowest) as eight UTF-16 units, all at once: the
// ASCII runs of a string are widened a word at a time.
inline void WidenEightBytes(uint64_t word, char16_t* to) {
  // Four bytes in the low half of `four` move apart into four 16-bit units.
  const auto spread = [](uint64_t four) {
    four = (four | four << 16) & 0x0000FFFF0000FFFFu;
    return (four | four << 8) & 0x00FF00FF00FF00FFu;
  };
  const uint64_t first = spread(word & 0xFFFFFFFFu);
  const uint64_t second = spread(word >> 32);
  std::memcpy(to, &first, sizeof first);
  std::memcpy(to + 4, &second, sizeof second);
}

}  // namespace llmbridge

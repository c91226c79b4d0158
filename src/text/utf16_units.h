// The surrogate code units of UTF-16 and how a pair of them combines.
#pragma once

#include <cstddef>

namespace llmbridge {

// The code units before the terminating zero of a UTF-16 string, whatever type holds its units.
template <typename Unit>
size_t Utf16Length(const Unit* units) {
  static_assert(sizeof(Unit) == sizeof(char16_t), "UTF-16 code units");
  size_t length = 0;
  while (units[length] != 0) ++length;
  return length;
}

constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The scalar value a high and a low surrogate stand for together.
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace llmbridge

// Conversion between the host's UTF-16 strings and the library's texts. Hosts pass wchar_t on
// Windows and char16_t elsewhere; both are 16-bit code units, copied one by one.
#pragma once

#include <cstdint>
#include <limits>

#include "memory/block_heap.h"
#include "text/text.h"
#include "text/utf16_units.h"

namespace llmbridge {

// Replaces every surrogate that is not half of a high-low pair by U+FFFD, so that the text always
// encodes as valid UTF-8.
void ReplaceUnpairedSurrogates(Text& text);

// Reads a NUL-terminated UTF-16 string; a null pointer reads as the empty string. Unpaired
// surrogates become U+FFFD.
template <typename Unit>
Text FromWide(const Unit* units) {
  Text text;
  if (units == nullptr) return text;
  text.assign(units, units + Utf16Length(units));
  ReplaceUnpairedSurrogates(text);
  return text;
}

// Copies `text` into a new NUL-terminated block of the BlockHeap, unit for unit. Returns null
// when the block cannot be allocated. The caller owns the block.
template <typename Unit>
Unit* ToWide(const Text& text) {
  static_assert(sizeof(Unit) == sizeof(char16_t), "UTF-16 code units");
  constexpr size_t kMaxUnits = std::numeric_limits<int32_t>::max() / sizeof(Unit);
  if (text.size() >= kMaxUnits) return nullptr;
  const auto size = static_cast<int32_t>((text.size() + 1) * sizeof(Unit));
  auto* block = static_cast<Unit*>(AllocateBlock(size, kBlockUninitialized));
  if (block == nullptr) return nullptr;
  for (size_t i = 0; i < text.size(); ++i) block[i] = static_cast<Unit>(text[i]);
  block[text.size()] = 0;
  return block;
}

}  // namespace llmbridge

// Tests on eight bytes at once, for scanners of mostly-ASCII text.
#pragma once

#include <cstdint>
#include <cstring>

namespace llmbridge {

// Whether none of the eight bytes from `bytes` on (no alignment needed) has its high bit set.
inline bool EightBytesAreAscii(const uint8_t* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof(word));
  return (word & 0x8080808080808080u) == 0;
}

}  // namespace llmbridge

// The hash of the library's chained tables (HTTP header maps, JSON member tables).
#pragma once

#include <cstddef>
#include <cstdint>

namespace llmbridge {

// For each UTF-16 code unit in order: hash = hash * 65599 + unit, in wrapping unsigned 32-bit
// arithmetic from 0. A table's bucket is this hash modulo its bucket count; the visiting order
// of the tables follows from it, so it must not change.
inline uint32_t HashText(const char16_t* units, size_t count) {
  uint32_t hash = 0;
  for (size_t i = 0; i < count; ++i) hash = hash * 65599u + units[i];
  return hash;
}

}  // namespace llmbridge

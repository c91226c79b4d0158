// The hash of the library's chained tables (HTTP header maps, JSON member tables).
#pragma once

#include <cstddef>
#include <cstdint>

namespace llmbridge {

// For each UTF-16 code unit in order: hash = hash * 65599 + unit, in wrapping unsigned 32-bit
// arithmetic from 0. A table's bucket is this hash modulo its bucket count; the visiting order
// of the tables follows from it, so it must not change.
//
// Four units at a time, the hash is the same: hash * k^4 + u0 * k^3 + u1 * k^2 + u2 * k + u3, in
// which only the first product waits on the hash before it, so the steps do not queue behind one
// multiplication per unit.
//
// The units may also be given as bytes: ASCII bytes are the UTF-16 units of the same text.
template <typename Unit>
uint32_t HashText(const Unit* units, size_t count) {
  constexpr uint32_t k1 = 65599u;
  constexpr uint32_t k2 = k1 * k1;
  constexpr uint32_t k3 = k2 * k1;
  constexpr uint32_t k4 = k3 * k1;
  uint32_t hash = 0;
  size_t i = 0;
  for (; count - i >= 4; i += 4) {
    hash = hash * k4 + units[i] * k3 + units[i + 1] * k2 + units[i + 2] * k1 + units[i + 3];
  }
  for (; i < count; ++i) hash = hash * k1 + units[i];
  return hash;
}

}  // namespace llmbridge

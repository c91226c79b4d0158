// Sizes that cross into 32-bit lengths: block sizes, code-page conversions, request bodies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace llmbridge {

// `size` as a 32-bit length. A size that does not fit throws std::length_error, which the
// exports turn into their failure result, instead of wrapping round to a negative length.
inline int32_t CheckedLength(size_t size) {
  if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw std::length_error("text longer than a 32-bit length");
  return static_cast<int32_t>(size);
}

}  // namespace llmbridge

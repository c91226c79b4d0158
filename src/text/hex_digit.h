// The value of one hexadecimal digit, for every reader of numbers and \u escapes.
#pragma once

namespace llmbridge {

// 0 to 15 for a digit in either letter case, -1 for any other code unit of any width.
template <typename Unit>
constexpr int HexDigitValue(Unit unit) {
  if (unit >= '0' && unit <= '9') return static_cast<int>(unit - '0');
  if (unit >= 'a' && unit <= 'f') return static_cast<int>(unit - 'a') + 10;
  if (unit >= 'A' && unit <= 'F') return static_cast<int>(unit - 'A') + 10;
  return -1;
}

}  // namespace llmbridge

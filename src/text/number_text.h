// Integer and real numbers as text, independent of any locale.
#pragma once

#include <cfloat>
#include <cstdint>
#include <string_view>

#include "text/text.h"

namespace llmbridge {

// Decimal digits, with "-" for negative values; no padding, no grouping.
Text FormatInteger(int64_t value);

// Reads an integer the lenient way hosts expect: leading spaces and tabs skipped, one optional
// sign, "$" for hexadecimal or "%" for binary, then digits up to the first non-digit. Arithmetic
// wraps modulo 2^64; no digits give 0. Never fails.
int64_t ParseInteger(std::u16string_view text);
// The same for UTF-8 text.
int64_t ParseInteger(std::string_view text);

// Reads a real number with "." as the decimal separator whatever the host's locale: the longest
// leading number (leading white space skipped), "+Infinity", "-Infinity" and "NaN" in any ASCII
// case, or 0 when nothing can be read.
double ParseReal(std::u16string_view text);
// The same for UTF-8 text; never allocates.
double ParseReal(std::string_view text);

// Sets `*value` to `significand` times ten to the power `power`, correctly rounded, when one
// floating-point operation gives it exactly as decimal text would read: the significand and the
// power of ten both exact doubles. False otherwise, and where doubles are computed with more
// precision and rounded twice (x87 arithmetic), the caller then reads the text instead.
// Inline: the JSON parser reads most fractional numbers this way.
inline bool ExactDecimalReal(uint64_t significand, int power, double* value) {
#if FLT_EVAL_METHOD == 0
  // Ten to the 22nd is the largest power of ten a double holds exactly, 2^53 the largest
  // significand it holds with every integer below it.
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr int kLargestPower = 22;
  if (significand > (uint64_t{1} << 53) || power < -kLargestPower || power > kLargestPower) {
    return false;
  }
  const auto exact = static_cast<double>(significand);
  *value = power < 0 ? exact / kPowersOfTen[-power] : exact * kPowersOfTen[power];
  return true;
#else
  (void)significand;
  (void)power;
  (void)value;
  return false;
#endif
}

// Whether `text` is exactly one number as JSON writes it: an optional "-", an integer part
// without leading zeros, an optional fraction and an optional exponent; nothing around it.
bool IsJsonNumber(std::u16string_view text);

}  // namespace llmbridge

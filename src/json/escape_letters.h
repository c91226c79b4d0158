// The letters of JSON's escape sequences, shared by the parser, which checks them, and by the
// reading of strings kept as they came, which resolves them.
#pragma once

#include <type_traits>

#include "text/hex_digit.h"

namespace llmbridge {

// The unit each single-letter escape sequence stands for, by its letter; 0 for other letters.
struct EscapeTable {
  char16_t units[128];
};

constexpr EscapeTable MakeEscapeTable() {
  EscapeTable table = {};
  const char letters[] = "\"\\/bfnrt";
  const char16_t units[] = {u'"', u'\\', u'/', 8, 12, 10, 13, 9};
  for (int i = 0; i < 8; ++i) table.units[static_cast<int>(letters[i])] = units[i];
  return table;
}

constexpr EscapeTable kSingleLetterEscapes = MakeEscapeTable();

// What the escape sequence of backslash and `letter` stands for, unless it is \u; 0 when it is
// no escape sequence.
template <typename Unit>
char16_t SingleLetterEscape(Unit letter) {
  const auto index = static_cast<std::make_unsigned_t<Unit>>(letter);
  return index < 128 ? kSingleLetterEscapes.units[index] : 0;
}

// The unit the four hexadecimal digits at `digits` spell, first digit highest, or -1 when one of
// them is no hexadecimal digit; `*bad` then points to it.
template <typename Unit>
long HexEscapeValue(const Unit* digits, const Unit** bad) {
  long value = 0;
  for (const Unit* digit = digits; digit != digits + 4; ++digit) {
    const int digit_value = HexDigitValue(*digit);
    if (digit_value < 0) {
      *bad = digit;
      return -1;
    }
    value = value * 16 + digit_value;
  }
  return value;
}

}  // namespace llmbridge

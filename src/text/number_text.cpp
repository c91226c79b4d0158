#include "text/number_text.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "text/hex_digit.h"

namespace llmbridge {

namespace {

int DigitValue(unsigned unit, int base) {
  const int value = HexDigitValue(unit);
  return value < base ? value : -1;
}

// The ASCII prefix of `text`; a number never goes past it.
std::string AsciiPrefix(std::u16string_view text) {
  std::string ascii;
  for (char16_t unit : text) {
    if (unit >= 0x80) break;
    ascii += static_cast<char>(unit);
  }
  return ascii;
}

bool EqualsIgnoringAsciiCase(std::string_view a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The magnitude a number too large or too small for a double reads as: infinity, unless its
// exponent is negative.
double OutOfRangeValue(const char* first, const char* last) {
  for (const char* p = first; p != last; ++p) {
    if ((*p == 'e' || *p == 'E' || *p == 'p' || *p == 'P') && p + 1 != last && p[1] == '-') {
      return 0.0;
    }
  }
  return std::numeric_limits<double>::infinity();
}

// Reads the longest unsigned number at `first`, decimal or "0x" hexadecimal; 0 when none.
double ReadUnsignedReal(const char* first, const char* last) {
  auto format = std::chars_format::general;
  if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
    format = std::chars_format::hex;
    first += 2;
  }
  double value = 0.0;
  const std::from_chars_result result = std::from_chars(first, last, value, format);
  if (result.ec == std::errc::result_out_of_range) return OutOfRangeValue(first, result.ptr);
  return result.ec == std::errc() ? value : 0.0;
}

// Reads an integer from the code units of `text`, UTF-16 or UTF-8 alike: only ASCII counts.
template <typename Unit>
int64_t ReadInteger(std::basic_string_view<Unit> text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
  int base = 10;
  if (at < text.size() && text[at] == u'$') {
    base = 16;
    ++at;
  } else if (at < text.size() && text[at] == u'%') {
    base = 2;
    ++at;
  }
  uint64_t value = 0;
  for (; at < text.size(); ++at) {
    const int digit = DigitValue(static_cast<std::make_unsigned_t<Unit>>(text[at]), base);
    if (digit < 0) break;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);  // wraps
  }
  if (negative) value = 0 - value;
  return static_cast<int64_t>(value);
}

// Reads a real number from ASCII text, as ParseReal describes.
double ReadReal(std::string_view ascii) {
  if (EqualsIgnoringAsciiCase(ascii, "+Infinity")) return std::numeric_limits<double>::infinity();
  if (EqualsIgnoringAsciiCase(ascii, "-Infinity")) return -std::numeric_limits<double>::infinity();
  if (EqualsIgnoringAsciiCase(ascii, "NaN")) return -std::numeric_limits<double>::quiet_NaN();

  const char* first = ascii.data();
  const char* last = first + ascii.size();
  while (first != last && IsCSpace(*first)) ++first;
  bool negative = false;
  if (first != last && (*first == '-' || *first == '+')) negative = *first++ == '-';
  const double magnitude = ReadUnsignedReal(first, last);
  return negative ? -magnitude : magnitude;
}

}  // namespace

Text FormatInteger(int64_t value) {
  // Work on the magnitude as unsigned so the most negative value is written in full.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char16_t digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  Text text;
  text.reserve(static_cast<size_t>(count) + 1);
  if (value < 0) text += u'-';
  while (count > 0) text += digits[--count];
  return text;
}

int64_t ParseInteger(std::u16string_view text) { return ReadInteger(text); }

int64_t ParseInteger(std::string_view text) { return ReadInteger(text); }

double ParseReal(std::u16string_view text) { return ReadReal(AsciiPrefix(text)); }

double ParseReal(std::string_view text) {
  size_t ascii = 0;
  while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
  return ReadReal(text.substr(0, ascii));
}

bool IsJsonNumber(std::u16string_view text) {
  size_t at = 0;
  const auto digit = [&](size_t i) {
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9';
  };
  // Moves past a run of digits; false when there is none.
  const auto digits = [&] {
    const size_t start = at;
    while (digit(at)) ++at;
    return at > start;
  };
  if (at < text.size() && text[at] == u'-') ++at;
  if (at < text.size() && text[at] == u'0')
    ++at;
  else if (!digits())
    return false;
  if (at < text.size() && text[at] == u'.') {
    ++at;
    if (!digits()) return false;
  }
  if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
    ++at;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) ++at;
    if (!digits()) return false;
  }
  return at == text.size();
}

}  // namespace llmbridge

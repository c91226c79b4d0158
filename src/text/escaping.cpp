#include "text/escaping.h"

#include <cstddef>

namespace llmbridge {

namespace {

// The letter that follows the backslash for the short escapes, or 0 when the unit has none.
char16_t ShortEscape(char16_t unit) {
  switch (unit) {
    case u'"':
      return u'"';
    case u'\\':
      return u'\\';
    case u'\b':
      return u'b';
    case u'\t':
      return u't';
    case u'\n':
      return u'n';
    case u'\f':
      return u'f';
    case u'\r':
      return u'r';
    default:
      return 0;
  }
}

size_t EscapedLength(char16_t unit) {
  if (ShortEscape(unit) != 0) return 2;
  return unit < 0x20 ? 6 : 1;  // \u00XX
}

}  // namespace

void AppendEscaped(Text& out, const Text& text) {
  size_t length = 0;
  for (char16_t unit : text) length += EscapedLength(unit);
  if (length == text.size()) {
    out += text;
    return;
  }

  static constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
  out.reserve(out.size() + length);
  for (char16_t unit : text) {
    if (const char16_t letter = ShortEscape(unit)) {
      out += u'\\';
      out += letter;
    } else if (unit < 0x20) {
      out += u"\\u00";
      out += kHexDigits[unit >> 4];
      out += kHexDigits[unit & 0xF];
    } else {
      out += unit;
    }
  }
}

Text EscapeText(const Text& text) {
  Text result;
  AppendEscaped(result, text);
  return result;
}

Text ReplaceText(const Text& text, const Text& find, const Text& replacement) {
  if (text.empty() || find.empty()) return text;
  size_t matches = 0;
  for (size_t at = text.find(find); at != Text::npos; at = text.find(find, at + find.size())) {
    ++matches;
  }
  if (matches == 0) return text;

  Text result;
  result.reserve(text.size() - matches * find.size() + matches * replacement.size());
  size_t from = 0;
  for (size_t at = text.find(find); at != Text::npos; at = text.find(find, from)) {
    result.append(text, from, at - from);
    result += replacement;
    from = at + find.size();
  }
  result.append(text, from, Text::npos);
  return result;
}

}  // namespace llmbridge

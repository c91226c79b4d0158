// Letter case of ASCII only, as protocols compare schemes, host names and header names: no
// locale, no other script.
#pragma once

#include <string>
#include <string_view>

namespace llmbridge {

inline char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }
inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// Whether `text` begins with `lower_prefix`, which is lower case, in any letter case.
template <typename Unit>
bool StartsWithIgnoringAsciiCase(std::basic_string_view<Unit> text,
                                 std::basic_string_view<Unit> lower_prefix) {
  if (text.size() < lower_prefix.size()) return false;
  for (size_t i = 0; i < lower_prefix.size(); ++i)
    if (AsciiLower(text[i]) != lower_prefix[i]) return false;
  return true;
}

}  // namespace llmbridge

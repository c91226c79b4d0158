#include "text/escaping.h"

#include <gtest/gtest.h>

namespace llmbridge {
namespace {

TEST(EscapeText, ProducesAValidJsonStringBody) {
  struct Case {
    Text in;
    Text out;
  };
  const Case cases[] = {
      {u"", u""},
      {u"plain text", u"plain text"},
      {u"\r\n", u"\\r\\n"},
      {u"\n", u"\\n"},
      {u"\r", u"\\r"},
      {u"\\", u"\\\\"},
      {u"say \"hi\"", u"say \\\"hi\\\""},
      {u"\t\b\f", u"\\t\\b\\f"},
      // Other control characters use the \u form, so servers accept the body.
      {u"\a", u"\\u0007"},
      {u"\v", u"\\u000B"},
      {u"\x01\x1f", u"\\u0001\\u001F"},
      // Passed unchanged.
      {u"/'\x7f\u00e9\U0001F600", u"/'\x7f\u00e9\U0001F600"},
      {u"\xD800", u"\xD800"},
      // The result is never rescanned: the backslash it writes is not escaped again.
      {u"\\n", u"\\\\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeText(c.in), c.out);
}

TEST(ReplaceText, ReplacesLeftToRightWithoutOverlap) {
  struct Case {
    Text text, find, replacement, out;
  };
  const Case cases[] = {
      {u"aaa", u"aa", u"b", u"ba"},        {u"abab", u"ab", u"", u""},
      {u"abc", u"", u"x", u"abc"},         {u"", u"a", u"x", u""},
      {u"ABab", u"ab", u"x", u"ABx"},  // case-sensitive
      {u"\\r\\n", u"\\r\\n", u" ", u" "},  {u"one two two", u"two", u"three", u"one three three"},
      {u"aXbXc", u"X", u"XX", u"aXXbXXc"},  // the replacement is never searched
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceText(c.text, c.find, c.replacement), c.out);
}

}  // namespace
}  // namespace llmbridge

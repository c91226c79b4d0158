#include "text/narrow_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "memory/block_heap.h"

namespace llmbridge {
namespace {

TEST(FromNarrow, LengthRules) {
  struct Case {
    const char* bytes;
    int32_t length;
    Text expected;
  };
  const Case cases[] = {
      {"plain ascii", -1, u"plain ascii"},
      {"0123456789", 3, u"012"},  // at most `length` bytes
      {"short", 100, u"short"},   // never past the zero byte
      {"ab\0cd", 5, u"ab"},       // an embedded zero ends the text
      {"abc", 0, u""},
      {"abc", -2, u""},  // below -1 counts as 0
      {"", -1, u""},
      {nullptr, -1, u""},  // a null pointer reads as empty
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FromNarrow(c.bytes, c.length, NarrowEncoding::Ansi), c.expected)
        << (c.bytes ? c.bytes : "(null)") << " / " << c.length;
  }
}

TEST(FromNarrow, AnsiIsTheWesternCodePage) {
  EXPECT_EQ(FromNarrow("\x80 \xe9", -1, NarrowEncoding::Ansi), u"\u20AC \u00E9");
}

TEST(FromNarrow, Utf8DecodesAndReplacesInvalidBytes) {
  EXPECT_EQ(FromNarrow("\xc3\xa9", -1, NarrowEncoding::Utf8), u"\u00E9");
  EXPECT_EQ(FromNarrow("a\x80"
                       "b",
                       -1, NarrowEncoding::Utf8),
            u"a\uFFFDb");
  EXPECT_EQ(FromNarrow("\xef\xbb\xbf{}", -1, NarrowEncoding::Utf8), u"\uFEFF{}");
  // A length that ends inside a sequence cuts it: what remains is invalid.
  EXPECT_EQ(FromNarrow("\xc3\xa9", 1, NarrowEncoding::Utf8), u"\uFFFD");
}

TEST(ToNarrow, MakesAnExactlySizedBlockEachTime) {
  char* empty = ToNarrow(Text());
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(BlockSize(empty), 1);
  EXPECT_EQ(empty[0], '\0');

  char* first = ToNarrow(u"same");
  char* second = ToNarrow(u"same");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(BlockSize(first), 5);
  EXPECT_STREQ(first, "same");
  EXPECT_STREQ(second, "same");
  FreeBlock(empty);
  FreeBlock(first);
  FreeBlock(second);
}

TEST(ToNarrow, CharactersOutsideTheCodePageBecomeItsDefaultOrBestFit) {
  char* text = ToNarrow(u"\u4E2D\u20AC\u0101\xD800!");
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text,
               "?\x80"
               "a?!");
  EXPECT_EQ(BlockSize(text), 6);
  FreeBlock(text);
}

TEST(ToNarrow, ReturnsNullWhenNoBlockCanBeMade) {
  DestroyBlockHeap();
  EXPECT_EQ(ToNarrow(u"lost"), nullptr);
  ASSERT_TRUE(CreateBlockHeap());
}

}  // namespace
}  // namespace llmbridge

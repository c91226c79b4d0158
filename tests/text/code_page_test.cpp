// The portable converters that stand in for the platform's code pages on POSIX. They are built
// on Windows too, where code_page_differential_test.cpp compares them with the platform itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/cp1252_codec.h"
#include "text/utf8_codec.h"

namespace llmbridge::codepage {
namespace {

using Decoder = int (*)(const char*, int, char16_t*, int);
using Encoder = int (*)(const char16_t*, int, char*, int);

std::u16string Decode(Decoder decode, const std::string& bytes) {
  const int size = static_cast<int>(bytes.size());
  std::u16string out(static_cast<size_t>(decode(bytes.data(), size, nullptr, 0)), u'\0');
  EXPECT_EQ(decode(bytes.data(), size, out.data(), static_cast<int>(out.size())),
            static_cast<int>(out.size()));
  return out;
}

std::string Encode(Encoder encode, const std::u16string& units) {
  const int size = static_cast<int>(units.size());
  std::string out(static_cast<size_t>(encode(units.data(), size, nullptr, 0)), '\0');
  EXPECT_EQ(encode(units.data(), size, out.data(), static_cast<int>(out.size())),
            static_cast<int>(out.size()));
  return out;
}

TEST(Cp1252, DecodesTheHighHalfAsWindowsDoes) {
  EXPECT_EQ(Decode(Cp1252Decode, "\x80\x9f\xe9"), u"\u20AC\u0178\u00E9");
  // The five bytes 1252 leaves undefined decode to the C1 controls of the same value.
  EXPECT_EQ(Decode(Cp1252Decode, "\x81\x8d\x8f\x90\x9d"), u"\u0081\u008D\u008F\u0090\u009D");
}

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
  for (int byte = 1; byte < 256; ++byte) {
    const std::string in(1, static_cast<char>(byte));
    EXPECT_EQ(Encode(Cp1252Encode, Decode(Cp1252Decode, in)), in) << byte;
  }
}

TEST(Cp1252, UnmappableCharactersBecomeBestFitOrQuestionMark) {
  struct Case {
    std::u16string in;
    std::string out;
  };
  const Case cases[] = {
      {u"\u0101", "a"},       // a with macron: best fit
      {u"\uFF21", "A"},       // fullwidth A
      {u"\u0130", "I"},       // I with dot above
      {u"\u4E2D", "?"},       // CJK ideograph: no best fit
      {u"\u2190", "?"},       // arrow
      {u"\u0080", "?"},       // C1 control that 1252 does not keep
      {u"x\xD800y", "x?y"},   // lone high surrogate
      {u"\xDC00", "?"},       // lone low surrogate
      {u"\U0001F600", "??"},  // each half of a pair, as Windows does
  };
  for (const Case& c : cases) EXPECT_EQ(Encode(Cp1252Encode, c.in), c.out);
}

TEST(Utf8, DecodesValidSequencesAndKeepsTheByteOrderMark) {
  EXPECT_EQ(Decode(Utf8Decode, "caf\xc3\xa9"), u"caf\u00E9");
  EXPECT_EQ(Decode(Utf8Decode, "\xe2\x82\xac"), u"\u20AC");
  EXPECT_EQ(Decode(Utf8Decode, "\xf0\x9f\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Decode(Utf8Decode, "\xef\xbb\xbfx"), u"\uFEFFx");
}

// How many U+FFFD an invalid sequence yields follows Windows, which differs from other decoders.
TEST(Utf8, InvalidSequencesBecomeReplacementCharactersAsOnWindows) {
  struct Case {
    const char* bytes;
    std::u16string units;
  };
  const Case cases[] = {
      {"\x80", u"\uFFFD"},  // lone continuation byte
      {"a\xbf"
       "b",
       u"a\uFFFDb"},
      {"\xc0\xaf", u"\uFFFD\uFFFD"},      // C0 is never a valid lead
      {"\xed\xa0\x80", u"\uFFFD\uFFFD"},  // encoded surrogate
      {"\xe0\x80\x80", u"\uFFFD\uFFFD"},  // overlong three-byte form
      {"\xf0\x9f\x98", u"\uFFFD"},        // truncated at the end
      {"\xe0\xa0"
       "A",
       u"\uFFFDA"},  // cut short by an ASCII byte
      {"\xf0\x9f"
       "A",
       u"\uFFFD"},                                  // too few bytes left: one for all of them
      {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xff\xfe", u"\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) EXPECT_EQ(Decode(Utf8Decode, c.bytes), c.units) << c.bytes;
}

// ASCII runs are decoded eight bytes at a time; a sequence on its own, shorter than that, is
// decoded a byte at a time. Padded with ASCII, every sequence must decode to the same units
// wherever it falls against the eight-byte steps. With ASCII after it, each sequence needs at
// least four padding bytes, so that none is cut short by the end of the input.
TEST(Utf8, AsciiAroundASequenceDecodesAsTheSequenceAlone) {
  const std::string sequences[] = {
      "\xc3\xa9",
      "\xe4\xb8\xad",
      "\xf0\x9f\x98\x80",
      "\xef\xbb\xbf",
      "\xed\xa0\x80",
      "\xe0\x80\x80",
      "\xf4\x90\x80\x80",
      "\x80",
      "\xbf",
      "\xc0",
      "\xc1",
      "\xc2",
      "\xe0",
      "\xed\xa0",
      "\xf0\x9f",
      "\xf0\x9f\x98",
      "\xf5",
      "\xff",
  };
  const size_t after_counts[] = {0, 4, 5, 7, 8, 9, 15, 16, 17};
  for (const std::string& sequence : sequences) {
    const std::u16string alone = Decode(Utf8Decode, sequence);
    for (size_t before = 0; before <= 17; ++before) {
      for (size_t after : after_counts) {
        const std::string padded = std::string(before, 'a') + sequence + std::string(after, 'z');
        const std::u16string expected =
            std::u16string(before, u'a') + alone + std::u16string(after, u'z');
        EXPECT_EQ(Decode(Utf8Decode, padded), expected)
            << before << " + " << sequence.size() << " + " << after;
      }
    }
  }
}

TEST(Utf8, EncodesPairsAndReplacesLoneSurrogates) {
  EXPECT_EQ(Encode(Utf8Encode, u"\u00E9\U0001F600"), "\xc3\xa9\xf0\x9f\x98\x80");
  EXPECT_EQ(Encode(Utf8Encode,
                   u"a\xD800"
                   u"b"),
            "a\xef\xbf\xbd"
            "b");
  EXPECT_EQ(Encode(Utf8Encode, u"\xDE00\xD83D"), "\xef\xbf\xbd\xef\xbf\xbd");  // reversed pair
}

TEST(Converters, ReportZeroWhenTheOutputDoesNotFit) {
  char16_t units[2];
  char bytes[2];
  EXPECT_EQ(Utf8Decode("abc", 3, units, 2), 0);
  EXPECT_EQ(Cp1252Decode("abc", 3, units, 2), 0);
  EXPECT_EQ(Utf8Encode(u"\u00E9\u00E9", 2, bytes, 2), 0);
  EXPECT_EQ(Cp1252Encode(u"abc", 3, bytes, 2), 0);
}

TEST(Converters, LongAsciiRunsFillTheOutputExactly) {
  const std::string ascii = "0123456789abcdefghij";
  char16_t units[20] = {};
  EXPECT_EQ(Utf8Decode(ascii.data(), 20, units, 19), 0);
  EXPECT_EQ(units[18], u'i') << "units are written while room lasts";
  EXPECT_EQ(Utf8Decode(ascii.data(), 20, units, 20), 20);
  EXPECT_EQ(std::u16string(units, 20), u"0123456789abcdefghij");
}

}  // namespace
}  // namespace llmbridge::codepage

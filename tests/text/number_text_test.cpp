#include "text/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace llmbridge {
namespace {

TEST(FormatInteger, WritesPlainDecimal) {
  struct Case {
    int64_t value;
    Text text;
  };
  const Case cases[] = {
      {0, u"0"},
      {-1, u"-1"},
      {200, u"200"},
      {2147483648LL, u"2147483648"},
      {-2147483648LL, u"-2147483648"},
      {INT64_MAX, u"9223372036854775807"},
      {INT64_MIN, u"-9223372036854775808"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatInteger(c.value), c.text) << c.value;
}

TEST(ParseInteger, ReadsTheLenientHostForms) {
  struct Case {
    Text text;
    int64_t value;
  };
  const Case cases[] = {
      {u"200", 200},
      {u"  42abc", 42},
      {u"\t-17", -17},
      {u"+5", 5},
      {u"- 5", 0},
      {u"+-5", 0},
      {u"$ff", 255},
      {u"$FF", 255},
      {u"-$10", -16},
      {u"%101", 5},
      {u"%12", 1},
      {u"0x10", 0},
      {u"12.9", 12},
      {u"", 0},
      {u"abc", 0},
      {u"\n7", 0},
      {u"18446744073709551617", 1},  // 2^64 + 1 wraps
      {u"$FFFFFFFFFFFFFFFF", -1},
      {u"4294967297", 4294967297LL},
      {u"-9223372036854775808", INT64_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseInteger(c.text), c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(ParseReal, ReadsTheLongestLeadingNumber) {
  struct Case {
    Text text;
    double value;
  };
  const Case cases[] = {
      {u"1.5", 1.5},
      {u"  -2.5e3", -2500.0},
      {u"+0.125xyz", 0.125},
      {u"1E2", 100.0},
      {u"1e", 1.0},
      {u"0x1p3", 8.0},
      {u"abc", 0.0},
      {u"", 0.0},
      {u"0.1", 0.1},
      {u"2.2250738585072014e-308", 2.2250738585072014e-308},
      {u"1e-400", 0.0},
      {u"1e400", std::numeric_limits<double>::infinity()},
      {u"+INFINITY", std::numeric_limits<double>::infinity()},
      {u"-Infinity", -std::numeric_limits<double>::infinity()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseReal(c.text), c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(ParseReal, NanHasTheSignBitSetAndNoPayload) {
  for (const Text& text : {Text(u"NaN"), Text(u"nan"), Text(u"NAN")}) {
    const double value = ParseReal(text);
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    EXPECT_TRUE(std::isnan(value));
    EXPECT_EQ(bits, 0xFFF8000000000000ULL);
  }
}

TEST(IsJsonNumber, TakesExactlyOneNumberAsJsonWritesIt) {
  for (const char16_t* number : {u"0", u"-0", u"0.7", u"1", u"-12.5e-3", u"2E+10", u"1e0"})
    EXPECT_TRUE(IsJsonNumber(number))
        << std::string(number, number + std::char_traits<char16_t>::length(number));
  for (const char16_t* other : {u"", u"-", u"01", u"+1", u".5", u"1.", u"1e", u"1e+", u"0,7", u" 1",
                                u"1 ", u"0.5, \"top_p\": 1", u"NaN", u"Infinity", u"0x10"})
    EXPECT_FALSE(IsJsonNumber(other))
        << std::string(other, other + std::char_traits<char16_t>::length(other));
}

// A host that formats numbers with a decimal comma must not change how numbers are read here.
TEST(ParseReal, IgnoresTheHostsLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* german = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "de-DE"}) {
    if ((german = std::setlocale(LC_ALL, name)) != nullptr) break;
  }
  if (german == nullptr) GTEST_SKIP() << "no German locale is installed to test with";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(ParseReal(u"1.5"), 1.5);
  EXPECT_EQ(ParseReal(u"1,5"), 1.0);
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace llmbridge

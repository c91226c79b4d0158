#include "api/host_strings.h"

#include <gtest/gtest.h>

#include "memory/block_heap.h"
#include "state/library_state.h"

namespace llmbridge {
namespace {

TEST(HostStrings, ArgumentsArriveInTheAnsiCodePageAndNullReadsAsEmpty) {
  EXPECT_EQ(AnsiStrings::Argument(nullptr), u"");
  EXPECT_EQ(AnsiStrings::Argument(""), u"");
  EXPECT_EQ(AnsiStrings::Argument("caf\xe9 \x80"), u"caf\u00E9 \u20AC");
}

TEST(HostStrings, EveryResultIsANewBufferRememberedAndNeverFreed) {
  const char* first = AnsiStrings::Result(u"first");
  EXPECT_EQ(GetLibraryState().ReturnBuffer, first);
  const char* second = AnsiStrings::Result(u"second \u4E2D");
  EXPECT_EQ(GetLibraryState().ReturnBuffer, second);
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, "first");
  EXPECT_STREQ(second, "second ?");
  EXPECT_EQ(BlockSize(second), 9);
}

// Wide arguments keep every unit but unpaired surrogates, which become U+FFFD.
TEST(HostStrings, WideArgumentsKeepEveryCharacterButLoneSurrogates) {
  struct Case {
    std::u16string argument;
    Text expected;
  };
  const Case cases[] = {
      {u"", u""},
      {u"\u4E2D\u6587 \u041F\u0440\u0438 e\u0301", u"\u4E2D\u6587 \u041F\u0440\u0438 e\u0301"},
      {u"\U0001F600", u"\U0001F600"},
      {u"a\xD83D", u"a\uFFFD"},
      {u"\xDE00z", u"\uFFFDz"},
      {u"\xDE00\xD83D", u"\uFFFD\uFFFD"},
      {u"\xD83D\xD83D\xDE00", u"\uFFFD\U0001F600"},
  };
  for (const Case& test : cases) {
    const std::basic_string<llmbridge_wchar> argument(test.argument.begin(), test.argument.end());
    EXPECT_EQ(WideStrings::Argument(argument.c_str()), test.expected);
  }
  EXPECT_EQ(WideStrings::Argument(nullptr), u"");
}

TEST(HostStrings, WideResultsAreNulTerminatedBuffersRemembered) {
  const llmbridge_wchar* result = WideStrings::Result(u"\u4E2D \U0001F600");
  EXPECT_EQ(GetLibraryState().ReturnBuffer, result);
  EXPECT_EQ(BlockSize(result), 10);
  const std::u16string copy(result, result + 4);
  EXPECT_EQ(copy, u"\u4E2D \U0001F600");
  EXPECT_EQ(result[4], 0);
}

}  // namespace
}  // namespace llmbridge

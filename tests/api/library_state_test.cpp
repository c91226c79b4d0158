#include "state/library_state.h"

#include <gtest/gtest.h>

#include "api/host_strings.h"
#include "text/block_heap.h"

namespace llmbridge {
namespace {

TEST(LibraryState, StartUpSetsTheVersionText) { EXPECT_EQ(GetLibraryState().VersionText, u"1.11"); }

TEST(HostStrings, ArgumentsArriveInTheAnsiCodePageAndNullReadsAsEmpty) {
  EXPECT_EQ(ArgumentText(nullptr), u"");
  EXPECT_EQ(ArgumentText(""), u"");
  EXPECT_EQ(ArgumentText("caf\xe9 \x80"), u"caf\u00E9 \u20AC");
}

TEST(HostStrings, EveryResultIsANewBufferRememberedAndNeverFreed) {
  const char* first = ReturnText(u"first");
  EXPECT_EQ(GetLibraryState().ReturnBuffer, first);
  const char* second = ReturnText(u"second \u4E2D");
  EXPECT_EQ(GetLibraryState().ReturnBuffer, second);
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, "first");
  EXPECT_STREQ(second, "second ?");
  EXPECT_EQ(BlockSize(second), 9);
}

}  // namespace
}  // namespace llmbridge

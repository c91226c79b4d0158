// What the start-up sequence leaves behind on every platform; the test program has run it.
#include <gtest/gtest.h>

#include "json/json_parser.h"
#include "json/json_slots.h"
#include "memory/block_heap.h"
#include "runtime/library_lifecycle.h"
#include "runtime/library_locale.h"
#include "state/library_state.h"
#include "ui/open_window_list.h"

namespace llmbridge {
namespace {

TEST(StartUp, EndsWithTheVersionAndNoWindowOpen) {
  EXPECT_EQ(GetLibraryState().VersionText, u"" LLMBRIDGE_BUILT_VERSION);
  EXPECT_TRUE(OpenWindows().empty());
}

// When the process is ending the detach does nothing: everything start-up made still works.
TEST(StartUp, DetachingAtProcessExitLeavesTheLibraryRunning) {
  DetachLibrary(true);
  EXPECT_EQ(GetLibraryState().VersionText, u"" LLMBRIDGE_BUILT_VERSION);
  void* block = AllocateBlock(16, 0);
  EXPECT_NE(block, nullptr);
  FreeBlock(block);
  EXPECT_NE(ParseJson(1, u"[1]"), 0);
  FreeAllJson();
}

TEST(StartUp, MakesTheLibrarysOwnLocale) { EXPECT_TRUE(LibraryLocaleExists()); }

}  // namespace
}  // namespace llmbridge

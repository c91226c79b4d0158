// Test programs link the library's core directly, so they run its start-up and shutdown
// themselves, as the loader does for the shared library.
#include <gtest/gtest.h>

#include "runtime/library_lifecycle.h"

namespace {

class LibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { llmbridge::StartLibrary(); }
  void TearDown() override { llmbridge::StopLibrary(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);
  return RUN_ALL_TESTS();
}

#include "base/handle_registry.h"

#include <gtest/gtest.h>

#include <vector>

namespace llmbridge {
namespace {

std::vector<int> g_released;
void RecordRelease(int& entry) { g_released.push_back(entry); }

class HandleRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { g_released.clear(); }
};

TEST_F(HandleRegistryTest, GrowsInStepsOfSixteen) {
  HandleRegistry<int> registry(RecordRelease);
  const size_t expected_capacity[][2] = {{1, 16}, {16, 16}, {17, 32}, {33, 48}};
  int next = 0;
  for (const auto& [count, capacity] : expected_capacity) {
    while (registry.size() < count) registry.Add(next++);
    EXPECT_EQ(registry.capacity(), capacity) << count << " entries";
  }
}

TEST_F(HandleRegistryTest, ReleaseAllReleasesEveryEntryNewestFirstOnce) {
  HandleRegistry<int> registry(RecordRelease);
  for (int entry : {1, 2, 3}) registry.Add(entry);
  registry.ReleaseAll();
  EXPECT_EQ(g_released, (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(registry.size(), 0u);
  registry.ReleaseAll();
  EXPECT_EQ(g_released.size(), 3u);
}

TEST_F(HandleRegistryTest, DestroyingTheRegistryReleasesWhatIsLeft) {
  {
    HandleRegistry<int> registry(RecordRelease);
    registry.Add(7);
  }
  EXPECT_EQ(g_released, (std::vector<int>{7}));
}

}  // namespace
}  // namespace llmbridge

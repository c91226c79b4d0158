#include "json/document_arena.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "json/json_memory.h"

namespace llmbridge {
namespace {

constexpr size_t kPlenty = size_t{1} << 30;

// A text of `length` units that differs from the texts of other seeds.
std::u16string TextOf(size_t seed, size_t length) {
  std::u16string text(length, u'a');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char16_t>(u'!' + (seed * 7 + i) % 90);
  return text;
}

char16_t* CopyInto(DocumentArena& arena, const std::u16string& text) {
  char16_t* copy = nullptr;
  EXPECT_TRUE(arena.Copy(text.data(), text.size(), &copy));
  return copy;
}

class DocumentArenaTest : public ::testing::Test {
 protected:
  void TearDown() override { SetJsonAllocationFailure(0); }
};

TEST_F(DocumentArenaTest, TextsAcrossManyChunksStayIntactAndTerminated) {
  DocumentArena arena(kPlenty);
  std::vector<std::u16string> texts;
  std::vector<const char16_t*> copies;
  for (size_t seed = 0; seed < 3000; ++seed) {
    texts.push_back(TextOf(seed, 1 + seed * 37 % 700));
    copies.push_back(CopyInto(arena, texts.back()));
  }
  EXPECT_GT(arena.chunk_count(), 5u) << "the texts must have met several chunk ends";
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_EQ(std::u16string(copies[i]), texts[i]) << "text " << i;
  }
}

TEST_F(DocumentArenaTest, TheEmptyTextTakesNoStorageAndNoAllocation) {
  DocumentArena arena(kPlenty);
  char16_t unrelated[] = u"x";
  char16_t* copy = unrelated;
  SetJsonAllocationFailure(1);
  EXPECT_TRUE(arena.Copy(u"", 0, &copy));
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(arena.chunk_count(), 0u);
  EXPECT_FALSE(arena.Copy(u"a", 1, &copy)) << "the hook's first allocation is still ahead";
}

TEST_F(DocumentArenaTest, ChunksDoubleFrom4096UnitsUpTo64Ki) {
  DocumentArena arena(kPlenty);
  const std::u16string text = TextOf(1, 1023);  // 1024 units with its terminator
  std::vector<size_t> chunk_units;
  size_t capacity = 0;
  while (chunk_units.size() < 7) {
    CopyInto(arena, text);
    if (arena.capacity_units() != capacity) {
      chunk_units.push_back(arena.capacity_units() - capacity);
      capacity = arena.capacity_units();
    }
  }
  std::vector<size_t> expected;
  for (size_t units = 4096; expected.size() < 5; units *= 2) expected.push_back(units);
  expected.push_back(size_t{1} << 16);
  expected.push_back(size_t{1} << 16);
  EXPECT_EQ(chunk_units, expected);
}

TEST_F(DocumentArenaTest, ATextLongerThanTheNextChunkGetsOneOfItsOwn) {
  DocumentArena arena(kPlenty);
  const char16_t* before = CopyInto(arena, u"ab");
  EXPECT_EQ(arena.capacity_units(), 4096u);
  const std::u16string long_text = TextOf(2, 9000);  // the next chunk would hold 8192
  const char16_t* long_copy = CopyInto(arena, long_text);
  EXPECT_EQ(arena.chunk_count(), 2u);
  EXPECT_EQ(arena.capacity_units(), 4096u + 9001u);
  const char16_t* after = CopyInto(arena, u"cd");
  EXPECT_EQ(after, before - 3) << "the open chunk is carved on, texts from its top down";
  EXPECT_EQ(arena.chunk_count(), 2u);
  EXPECT_EQ(std::u16string(long_copy), long_text);
  EXPECT_EQ(std::u16string(before), u"ab");
  EXPECT_EQ(std::u16string(after), u"cd");
}

TEST_F(DocumentArenaTest, ChunksStayWithinWhatTheExpectationLeaves) {
  DocumentArena small(100);
  for (size_t seed = 0; seed < 10; ++seed) CopyInto(small, TextOf(seed, 9));
  EXPECT_EQ(small.chunk_count(), 1u);
  EXPECT_EQ(small.capacity_units(), 100u) << "ten texts of ten units fill the expectation";
  CopyInto(small, TextOf(10, 9));
  EXPECT_EQ(small.capacity_units(), 110u) << "carving beyond it takes exactly what is needed";

  DocumentArena larger(5000);
  for (size_t seed = 0; seed < 4; ++seed) CopyInto(larger, TextOf(seed, 1023));
  EXPECT_EQ(larger.capacity_units(), 4096u);
  CopyInto(larger, TextOf(4, 9));
  EXPECT_EQ(larger.capacity_units(), 5000u) << "the second chunk holds the 904 units left";
}

TEST_F(DocumentArenaTest, EachCopyIsAFailurePointAndAFailureTakesNothing) {
  DocumentArena arena(kPlenty);
  const char16_t* first = CopyInto(arena, u"a");
  char16_t* copy = nullptr;
  SetJsonAllocationFailure(1);
  EXPECT_FALSE(arena.Copy(u"b", 1, &copy)) << "fails although the open chunk has room";
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(CopyInto(arena, u"c"), first - 2) << "the failed copy carved nothing";

  const std::u16string long_text = TextOf(3, 9000);
  SetJsonAllocationFailure(2);  // the copy passes, its own chunk does not
  EXPECT_FALSE(arena.Copy(long_text.data(), long_text.size(), &copy));
  EXPECT_EQ(arena.chunk_count(), 1u);
  EXPECT_EQ(arena.capacity_units(), 4096u);
  EXPECT_EQ(std::u16string(CopyInto(arena, long_text)), long_text);
}

TEST_F(DocumentArenaTest, TextsBetweenValuesLeaveNoGapsBetweenThem) {
  DocumentArena arena(kPlenty);
  auto* first_value = static_cast<unsigned char*>(arena.CarveAligned(16));
  const char16_t* text = CopyInto(arena, u"ab");  // six bytes, which would misalign what follows
  auto* second_value = static_cast<unsigned char*>(arena.CarveAligned(24));
  EXPECT_EQ(second_value, first_value + 16);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(second_value) % alignof(uint64_t), 0u);
  EXPECT_EQ(CopyInto(arena, u"c"), text - 2);
  EXPECT_EQ(std::u16string(text), u"ab");
}

TEST_F(DocumentArenaTest, ChunksAreHeldUntilTheArenaGoes) {
  const size_t held_before = HeldJsonAllocations();
  {
    DocumentArena arena(kPlenty);
    for (size_t seed = 0; seed < 50; ++seed) CopyInto(arena, TextOf(seed, 1000));
    EXPECT_EQ(HeldJsonAllocations(), held_before + arena.chunk_count());
  }
  EXPECT_EQ(HeldJsonAllocations(), held_before);
}

}  // namespace
}  // namespace llmbridge

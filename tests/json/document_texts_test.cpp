// The texts of a document's strings and keys, which its arena holds until the document is freed.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "json/json_memory.h"
#include "json/json_test_support.h"

namespace llmbridge {
namespace {

using testing::JsonTest;
using DocumentTexts = JsonTest;

Text Numbered(const char16_t* prefix, int i) {
  const std::string digits = std::to_string(i);
  return prefix + Text(digits.begin(), digits.end());
}

// Objects with plain, escaped and empty strings and keys of many lengths, more than one chunk's
// worth, and one string longer than any chunk.
Text ManyTexts(int objects) {
  Text text = u"[";
  for (int i = 0; i < objects; ++i) {
    if (i > 0) text += u",";
    text += u"{\"" + Numbered(u"key-", i) + u"\":\"" + Text(static_cast<size_t>(i % 97), u'v') +
            Numbered(u"", i) + u"\",\"esc\\n" + Numbered(u"", i) + u"\":\"a\\u00e9" +
            Numbered(u"", i) + u"\",\"\":\"\"}";
  }
  return text + u",\"" + Text(300000, u'L') + u"\"]";
}

// Every key and string of `value`, borrowed, in the order a walk meets them.
void BorrowAll(JsonValue& value, std::vector<std::u16string_view>& views) {
  if (GetKind(value) == JsonKind::String) views.push_back(BorrowString(value));
  for (int32_t i = 0; i < ArraySize(value); ++i) BorrowAll(*ArrayElement(value, i), views);
  if (GetKind(value) != JsonKind::Object) return;
  BeginMembers(value);
  while (NextMember(value)) {
    views.push_back(BorrowMemberKey(value));
    BorrowAll(*MemberValue(value), views);
  }
}

TEST_F(DocumentTexts, BorrowedTextsStayIntactWhileTheDocumentLives) {
  JsonValue& root = Parse(ManyTexts(3000));
  std::vector<std::u16string_view> views;
  BorrowAll(root, views);
  ASSERT_EQ(views.size(), 3000u * 6 + 1);
  std::vector<Text> copies(views.begin(), views.end());

  // Other documents come and go meanwhile, in other slots.
  for (int32_t slot = 1; slot < 4; ++slot) {
    ASSERT_NE(ParseJson(slot, ManyTexts(500)), 0);
    ASSERT_NE(ParseJson(slot, u"{\"a\":\"b\"}"), 0);
  }
  std::vector<std::u16string_view> again;
  BorrowAll(root, again);
  ASSERT_EQ(again, views) << "the same texts at the same places";
  for (size_t i = 0; i < views.size(); ++i) {
    ASSERT_EQ(Text(views[i]), copies[i]);
    if (!views[i].empty()) {
      ASSERT_EQ(views[i].data()[views[i].size()], 0) << "terminated";
    }
  }
  EXPECT_EQ(GetString(*FindMember(*ArrayElement(root, 2999), u"key-2999")),
            Text(2999 % 97, u'v') + u"2999");
  EXPECT_EQ(GetString(*FindMember(*ArrayElement(root, 7), u"esc\n7")), u"a\u00e97");
  EXPECT_EQ(BorrowString(*ArrayElement(root, 3000)).size(), 300000u);
}

TEST_F(DocumentTexts, ReplacingASlotsDocumentHoldsNoMoreThanOneDocument) {
  FreeAllJson();
  const size_t held_before = HeldJsonAllocations();
  const Text text = ManyTexts(2000);
  ASSERT_NE(ParseJson(0, text), 0);
  const size_t held_by_one = HeldJsonAllocations();
  for (int i = 0; i < 20; ++i) {
    ASSERT_NE(ParseJson(0, text), 0);
    ASSERT_EQ(HeldJsonAllocations(), held_by_one) << "replacement " << i;
    ASSERT_EQ(ParseJson(0, text + u"x"), 0);
    ASSERT_EQ(HeldJsonAllocations(), held_by_one) << "failed parse " << i;
  }
  FreeAllJson();
  EXPECT_EQ(HeldJsonAllocations(), held_before);
}

TEST_F(DocumentTexts, RepeatedKeysKeepTheLastValueAndHoldOnlyArenaChunks) {
  FreeAllJson();
  ASSERT_NE(ParseJson(0, u"{\"a\":{\"k\":\"v\"}}"), 0);
  const size_t held_by_one = HeldJsonAllocations();

  Text text = u"{";
  for (int i = 0; i < 5000; ++i) text += u"\"a\":{\"k\":\"" + Numbered(u"v", i) + u"\"},";
  JsonValue& object = Parse(text + u"\"a\":{\"k\":\"last\"}}");
  EXPECT_EQ(testing::VisitedKeys(object), std::vector<Text>{u"a"});
  EXPECT_EQ(GetString(*FindMember(*FindMember(object, u"a"), u"k")), u"last");
  // The values the key held before stay in the arena until the document goes, in a few chunks
  // that double in size.
  EXPECT_LE(HeldJsonAllocations(), held_by_one + 8);
}

}  // namespace
}  // namespace llmbridge

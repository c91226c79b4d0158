// The order in which an object's members are visited, and how the member cursor moves.
#include <gtest/gtest.h>

#include <vector>

#include "json/json_test_support.h"
#include "text/text_hash.h"

namespace llmbridge {
namespace {

using testing::JsonTest;
using testing::VisitedKeys;
using Keys = std::vector<Text>;

uint32_t BucketOf(const Text& key) { return HashText(key.data(), key.size()) % 64; }

TEST(MemberHash, BucketsOfWellKnownKeys) {
  struct Case {
    Text key;
    uint32_t bucket;
  };
  const Case cases[] = {
      {u"a", 33},
      {u"b", 34},
      {u"usage", 33},
      {u"created", 40},
      {u"model", 41},
      {u"choices", 50},
      {u"id", 59},
      {u"object", 63},
      {u"content", 25},
      {u"role", 54},
      {u"prompt_tokens", 21},
      {u"total_tokens", 21},
      {u"url", 47},
      {u"permission", 47},
      {u"revised_prompt", 23},
      {u"b64_json", 7},
      {u"ma", 52},
      {u"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(BucketOf(c.key), c.bucket);
}

TEST(MemberHash, WrapsInUnsigned32BitArithmetic) {
  // 65599^2 * 'a' + 65599 * 'b' + 'c' exceeds 2^32; only the wrapped value is the hash.
  const Text key = u"abc";
  const uint64_t exact = (97ull * 65599 + 98) * 65599 + 99;
  EXPECT_EQ(HashText(key.data(), key.size()), static_cast<uint32_t>(exact));
  const Text high = {char16_t(0xFFFF)};
  EXPECT_EQ(HashText(high.data(), 1), 0xFFFFu) << "code units are unsigned";
  // Longer keys are hashed several units at a time, to the same value as one at a time.
  for (const Text& longer : {Text(9, char16_t(0xFFFF)), Text(u"max_completion_tokens")}) {
    uint32_t one_at_a_time = 0;
    for (char16_t unit : longer) one_at_a_time = one_at_a_time * 65599u + unit;
    EXPECT_EQ(HashText(longer.data(), longer.size()), one_at_a_time);
  }
}

using MemberOrder = JsonTest;

TEST_F(MemberOrder, AscendingBucketThenNewestFirst) {
  struct Case {
    Text text;
    Keys visited;
  };
  const Keys chat_order = {u"usage", u"created", u"model", u"choices", u"id", u"object"};
  const Case cases[] = {
      {u"{\"b\":1,\"a\":2}", {u"a", u"b"}},
      {u"{\"id\":0,\"object\":0,\"created\":0,\"model\":0,\"choices\":0,\"usage\":0}", chat_order},
      {u"{\"usage\":0,\"choices\":0,\"object\":0,\"model\":0,\"id\":0,\"created\":0}", chat_order},
      {u"{\"index\":0,\"message\":0,\"finish_reason\":0}",
       {u"message", u"finish_reason", u"index"}},
      {u"{\"role\":0,\"content\":0}", {u"content", u"role"}},
      {u"{\"url\":0,\"revised_prompt\":0}", {u"revised_prompt", u"url"}},
      {u"{\"prompt_tokens\":0,\"completion_tokens\":0,\"total_tokens\":0}",
       {u"total_tokens", u"prompt_tokens", u"completion_tokens"}},
      {u"{\"url\":0,\"permission\":0}", {u"permission", u"url"}},
      {u"{\"permission\":0,\"url\":0}", {u"url", u"permission"}},
      {u"{\"url\":0,\"permission\":0,\"url\":1}", {u"permission", u"url"}},
  };
  for (const Case& c : cases) EXPECT_EQ(VisitedKeys(Parse(c.text)), c.visited);
}

TEST_F(MemberOrder, EmptyObjectHasNoCurrentMember) {
  JsonValue& object = Parse(u"{}");
  EXPECT_TRUE(BeginMembers(object));
  EXPECT_FALSE(NextMember(object));
  EXPECT_EQ(MemberKey(object), u"");
  EXPECT_EQ(MemberValue(object), nullptr);
  EXPECT_FALSE(NextMember(object)) << "past the end, not reset";
}

TEST_F(MemberOrder, PastTheEndStaysThereUntilReset) {
  JsonValue& object = Parse(u"{\"a\":1,\"b\":2}");
  EXPECT_EQ(VisitedKeys(object).size(), 2u);
  EXPECT_FALSE(NextMember(object));
  EXPECT_FALSE(NextMember(object));
  EXPECT_EQ(VisitedKeys(object).size(), 2u) << "BeginMembers starts over";
}

TEST_F(MemberOrder, FreshObjectCursorStandsOnTheLastMemberAdded) {
  JsonValue& object = Parse(u"{\"a\":1,\"b\":2}");
  EXPECT_EQ(MemberKey(object), u"b");
  EXPECT_EQ(GetInteger(*MemberValue(object)), 2);
  EXPECT_FALSE(NextMember(object)) << "b is last in visiting order";
}

TEST_F(MemberOrder, FindMemberMovesTheCursorOnlyOnAHit) {
  JsonValue& object = Parse(u"{\"id\":1,\"object\":2,\"created\":3,\"model\":4}");
  BeginMembers(object);
  ASSERT_TRUE(NextMember(object));
  ASSERT_EQ(MemberKey(object), u"created");
  EXPECT_EQ(GetInteger(*FindMember(object, u"created")), 3);
  ASSERT_TRUE(NextMember(object));
  EXPECT_EQ(MemberKey(object), u"model") << "the iteration carries on after the found member";
  EXPECT_EQ(FindMember(object, u"ID"), nullptr);
  EXPECT_EQ(FindMember(object, u""), nullptr);
  EXPECT_EQ(MemberKey(object), u"model") << "a miss leaves the cursor";
  EXPECT_EQ(GetInteger(*FindMember(object, u"object")), 2);
  EXPECT_FALSE(NextMember(object)) << "object is last in visiting order";
}

TEST_F(MemberOrder, NestedObjectsKeepTheirOwnCursors) {
  JsonValue& outer = Parse(u"{\"b\":{\"y\":1,\"x\":2},\"a\":0}");
  BeginMembers(outer);
  ASSERT_TRUE(NextMember(outer));
  ASSERT_EQ(MemberKey(outer), u"a");
  ASSERT_TRUE(NextMember(outer));
  JsonValue& inner = *MemberValue(outer);
  EXPECT_EQ(VisitedKeys(inner), (Keys{u"x", u"y"}));
  EXPECT_EQ(MemberKey(outer), u"b");
}

TEST_F(MemberOrder, EscapedAndEmptyKeysAreStoredResolved) {
  JsonValue& object = Parse(u"{\"\\u0069d\":1,\"\":2,\"k\\u0000tail\":3}");
  EXPECT_EQ(GetInteger(*FindMember(object, u"id")), 1);
  EXPECT_EQ(GetInteger(*FindMember(object, u"")), 2);
  EXPECT_EQ(GetInteger(*FindMember(object, u"k")), 3);
  EXPECT_EQ(VisitedKeys(object), (Keys{u"", u"k", u"id"}));
}

}  // namespace
}  // namespace llmbridge

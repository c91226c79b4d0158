// The order in which an object's members are visited, and how the member cursor moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "json/json_test_support.h"
#include "text/number_text.h"
#include "text/text_hash.h"

namespace llmbridge {
namespace {

using testing::JsonTest;
using testing::VisitedKeys;
using Keys = std::vector<Text>;

uint32_t BucketOf(const Text& key) { return MemberBucket(key.data(), key.size()); }

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

// A one-unit key hashes to its unit, so this key falls in `bucket`; keys of other rounds share it.
Text KeyIn(uint32_t bucket, uint32_t round = 0) {
  return Text(1, static_cast<char16_t>(0x100 + bucket + 64 * round));
}

std::vector<uint32_t> Buckets(unsigned shuffle_seed) {
  std::vector<uint32_t> buckets(64);
  for (uint32_t bucket = 0; bucket < 64; ++bucket) buckets[bucket] = bucket;
  if (shuffle_seed == 1) std::reverse(buckets.begin(), buckets.end());
  if (shuffle_seed > 1) std::shuffle(buckets.begin(), buckets.end(), std::mt19937(shuffle_seed));
  return buckets;
}

// Objects small and large, in whatever order their keys fill the buckets, against a model of the
// 64 chains (newest first, a repeated key keeping its place and taking the last value): the
// visiting order, each member's value, where the parse leaves the cursor, and lookups.
TEST_F(MemberOrder, MatchesTheChainModelWhateverTheOrderOfKeys) {
  std::vector<std::vector<Text>> orders;
  for (unsigned seed : {0u, 1u, 2u, 3u}) {
    std::vector<Text> keys;
    for (uint32_t bucket : Buckets(seed)) keys.push_back(KeyIn(bucket));
    orders.push_back(keys);
  }
  std::vector<Text> one_bucket;
  for (uint32_t round = 0; round < 100; ++round) one_bucket.push_back(KeyIn(17, round));
  for (uint32_t round = 0; round < 100; round += 7) one_bucket.push_back(KeyIn(17, round));
  orders.push_back(one_bucket);
  std::vector<Text> colliding;
  for (uint32_t round = 0; round < 3; ++round) {
    for (uint32_t bucket : Buckets(round + 4)) colliding.push_back(KeyIn(bucket, round));
  }
  std::vector<Text> again = colliding;
  std::shuffle(again.begin(), again.end(), std::mt19937(7));
  colliding.insert(colliding.end(), again.begin(), again.end());
  orders.push_back(colliding);
  // Small objects too, each a prefix of a larger order, repeats included.
  for (size_t size : {1u, 2u, 5u, 16u, 17u}) {
    orders.emplace_back(colliding.begin(), colliding.begin() + static_cast<long>(size));
    orders.back().push_back(colliding[0]);
  }

  for (const std::vector<Text>& keys : orders) {
    SCOPED_TRACE(::testing::Message() << keys.size() << " keys");
    std::vector<std::vector<std::pair<Text, int32_t>>> chains(64);
    Text text = u"{";
    for (size_t i = 0; i < keys.size(); ++i) {
      const auto serial = static_cast<int32_t>(i);
      text += (i == 0 ? u"\"" : u",\"") + keys[i] + u"\":" + FormatInteger(serial);
      auto& chain = chains[BucketOf(keys[i])];
      auto found = std::find_if(chain.begin(), chain.end(),
                                [&](const auto& member) { return member.first == keys[i]; });
      if (found != chain.end()) {
        found->second = serial;
      } else {
        chain.insert(chain.begin(), {keys[i], serial});
      }
    }
    JsonValue& object = Parse(text + u"}");
    EXPECT_EQ(MemberKey(object), keys.back()) << "the parse leaves the cursor on the last key";
    BeginMembers(object);
    for (const auto& chain : chains) {
      for (const auto& [key, serial] : chain) {
        ASSERT_TRUE(NextMember(object));
        EXPECT_EQ(MemberKey(object), key);
        EXPECT_EQ(GetInteger(*MemberValue(object)), serial);
      }
    }
    EXPECT_FALSE(NextMember(object)) << "visited too many";
    for (const auto& chain : chains) {
      for (const auto& [key, serial] : chain) {
        ASSERT_NE(FindMember(object, key), nullptr);
        EXPECT_EQ(GetInteger(*FindMember(object, key)), serial);
        EXPECT_EQ(MemberKey(object), key);
        EXPECT_EQ(FindMember(object, KeyIn(BucketOf(key), 200)), nullptr);
      }
    }
  }
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

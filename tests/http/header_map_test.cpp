#include "http/header_map.h"

#include <gtest/gtest.h>

#include <vector>

#include "text/text_hash.h"

namespace llmbridge {
namespace {

std::vector<Text> Names(const HeaderMap& map) {
  std::vector<Text> names;
  map.ForEach([&](const Text& name, const Text&) { names.push_back(name); });
  return names;
}

TEST(HeaderMap, BucketsOfTheNamesTheFlowsUse) {
  const Text content_type = u"content-type";
  const Text authorization = u"Authorization";
  EXPECT_EQ(HashText(content_type.data(), content_type.size()) % 512, 78u);
  EXPECT_EQ(HashText(authorization.data(), authorization.size()) % 512, 153u);
}

TEST(HeaderMap, VisitsBucketsInOrderAndNewestFirstWithinABucket) {
  HeaderMap flows(512);
  flows.SetHeader(u"Authorization", u"Bearer k");
  flows.SetHeader(u"content-type", u"application/json");
  EXPECT_EQ(Names(flows), (std::vector<Text>{u"content-type", u"Authorization"}));

  HeaderMap single(1);  // everything shares one bucket
  single.SetHeader(u"a", u"1");
  single.SetHeader(u"b", u"2");
  single.SetHeader(u"c", u"3");
  EXPECT_EQ(Names(single), (std::vector<Text>{u"c", u"b", u"a"}));
}

TEST(HeaderMap, NamesAreUniqueAndComparedExactly) {
  HeaderMap map(512);
  map.SetHeader(u"Authorization", u"first");
  map.SetHeader(u"Authorization", u"second");
  map.SetHeader(u"authorization", u"other");
  EXPECT_EQ(map.size(), 2u);
  std::vector<Text> values;
  map.ForEach([&](const Text& name, const Text& value) {
    if (name == u"Authorization") values.push_back(value);
  });
  EXPECT_EQ(values, std::vector<Text>{u"second"});
}

TEST(HeaderMap, ABucketCountOfZeroOrLessMakesOneBucket) {
  for (int32_t count : {0, -3}) {
    HeaderMap map(count);
    map.SetHeader(u"x", u"1");
    map.SetHeader(u"y", u"2");
    EXPECT_EQ(Names(map), (std::vector<Text>{u"y", u"x"}));
  }
}

}  // namespace
}  // namespace llmbridge

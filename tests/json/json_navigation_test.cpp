#include "json/json_navigation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "json/json_object.h"
#include "json/json_test_support.h"

namespace llmbridge {
namespace {

using testing::JsonTest;

using Navigation = JsonTest;

TEST_F(Navigation, GetIntegerConvertsNumbersAndBooleans) {
  struct Case {
    Text text;
    int32_t value;
  };
  const Case cases[] = {
      {u"2.9", 2},
      {u"-2.9", -2},
      {u"3e10", INT32_MIN},
      {u"-3e10", INT32_MIN},
      {u"2147483647.5", INT32_MAX},
      {u"-2147483648.9", INT32_MIN},
      {u"1e400", INT32_MIN},
      {u"4294967297", 1},
      {u"4294967295", -1},
      {u"-7", -7},
      {u"true", 1},
      {u"false", 0},
      {u"\"12\"", 0},
      {u"null", 0},
      {u"[1]", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetInteger(Parse(c.text)), c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST_F(Navigation, OperationsOnOtherKindsGiveNeutralResults) {
  JsonValue& array = Parse(u"[5, \"\", {\"k\":1}, true]");
  JsonValue& text = *ArrayElement(array, 1);
  JsonValue& object = *ArrayElement(array, 2);
  JsonValue& boolean = *ArrayElement(array, 3);
  EXPECT_EQ(GetString(*ArrayElement(array, 0)), u"");
  EXPECT_EQ(GetString(text), u"");
  EXPECT_EQ(GetBoolean(*ArrayElement(array, 0)), 0);
  EXPECT_EQ(GetBoolean(boolean), 1);
  EXPECT_EQ(ArraySize(object), 0);
  EXPECT_EQ(ArrayElement(object, 0), nullptr);
  EXPECT_EQ(MemberKey(array), u"");
  EXPECT_EQ(MemberValue(array), nullptr);
  EXPECT_FALSE(BeginMembers(array));
  EXPECT_FALSE(NextMember(text));
  EXPECT_EQ(FindMember(array, u"k"), nullptr);
  EXPECT_EQ(MemberKey(object), u"k") << "the object's cursor was not touched";
}

TEST_F(Navigation, BorrowedKeysAndStringsAreTheDocumentsOwn) {
  JsonValue& object = Parse(u"{\"key\":\"value\",\"\":\"\",\"n\":1}");
  ASSERT_NE(FindMember(object, u"key"), nullptr);
  EXPECT_EQ(BorrowMemberKey(object), u"key");
  EXPECT_EQ(BorrowMemberKey(object).data(), CurrentMember(*object.object)->key->units());
  JsonValue& value = *MemberValue(object);
  EXPECT_EQ(BorrowString(value), u"value");
  EXPECT_EQ(BorrowString(value).data(), value.text);

  ASSERT_NE(FindMember(object, u""), nullptr);
  EXPECT_TRUE(BorrowMemberKey(object).empty());
  EXPECT_TRUE(BorrowString(*MemberValue(object)).empty());
  EXPECT_TRUE(BorrowString(*FindMember(object, u"n")).empty()) << "a number has no string";
  EXPECT_TRUE(BorrowString(object).empty());
  EXPECT_TRUE(BorrowMemberKey(value).empty()) << "a string has no members";
  BeginMembers(object);
  EXPECT_TRUE(BorrowMemberKey(object).empty()) << "no member is current";
}

TEST_F(Navigation, ArrayElementOutOfRangeGivesNone) {
  JsonValue& array = Parse(u"[10,11,12]");
  EXPECT_EQ(ArraySize(array), 3);
  EXPECT_EQ(ArrayElement(array, -1), nullptr);
  EXPECT_EQ(ArrayElement(array, 3), nullptr);
  EXPECT_EQ(ArrayElement(array, INT32_MIN), nullptr);
  EXPECT_EQ(GetInteger(*ArrayElement(array, 1)), 11);
  EXPECT_EQ(ArraySize(Parse(u"[]")), 0);
  EXPECT_EQ(ArrayElement(Parse(u"[]"), 0), nullptr);
}

// Every index reaches its element, whatever element was read before: from none, from below and
// from above, near either end.
TEST_F(Navigation, ArrayElementReachesEveryIndexFromEveryStart) {
  const int32_t count = 9;
  Text text = u"[";
  for (int32_t i = 0; i < count; ++i) text += (i ? u"," : u"") + Text(1, char16_t(u'0' + i));
  JsonValue& array = Parse(text + u"]");
  for (int32_t from = -1; from < count; ++from) {
    for (int32_t to = 0; to < count; ++to) {
      ArrayElement(array, from);  // -1 leaves no element current
      const JsonValue* element = ArrayElement(array, to);
      ASSERT_NE(element, nullptr);
      EXPECT_EQ(GetInteger(*element), to) << "from " << from;
    }
  }
}

}  // namespace
}  // namespace llmbridge

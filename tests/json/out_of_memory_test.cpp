// Makes each allocation of a parse fail in turn: every run must fail cleanly with
// "Out of memory", leave the slot exactly as it was and hold nothing more, until the failure lies
// past the parse. Each string and key counts as an allocation, though carved from a larger one.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "json/json_memory.h"
#include "json/json_test_support.h"
#include "support/fixture_text.h"
#include "support/json_dump.h"
#include "text/narrow_text.h"

namespace llmbridge {
namespace {

using testing::JsonTest;

class OutOfMemory : public JsonTest {
 protected:
  void TearDown() override {
    SetJsonAllocationFailure(0);
    JsonTest::TearDown();
  }
};

// A document big enough that the token buffer, the parser's stacks, the arena and the slot table
// all grow.
Text LargeAnswer() {
  Text text = u"{\"data\":[";
  for (int i = 0; i < 300; ++i) {
    if (i > 0) text += u",";
    text += u"{\"id\":\"model-" + Text(1, char16_t(u'a' + i % 26)) +
            u"\",\"object\":\"model\",\"permission\":[{\"id\":\"p\",\"allow_view\":true}]}";
  }
  return text + u"],\"long\":\"" + Text(3000, u'z') + u"\",\"escaped\":\"" + Text(3000, u'e') +
         u"\\n" + Text(3000, u'f') + u"\",\"n\":-12.5e3}";
}

// An object that fills every member bucket, so its bucket heads grow through each capacity; a
// one-unit key hashes to its unit. Some keys share a bucket.
Text ObjectInEveryBucket() {
  Text text = u"{";
  for (char16_t unit = 0x100; unit < 0x100 + 64 + 8; ++unit)
    text += Text(u"\"") + unit + u"\":[" + Text(unit % 2 == 0 ? u"true" : u"{}") + u"],";
  return text + u"\"end\":0}";
}

TEST_F(OutOfMemory, EveryAllocationOfAParseMayFail) {
  struct Case {
    const char* name;
    Text text;
    int32_t slot;
  };
  const Case cases[] = {
      {"chat_openai.json", testing::ReadFixtureText("chat_openai.json"), 0},
      {"models_vllm.json", testing::ReadFixtureText("models_vllm.json"), 0},
      {"large answer", LargeAnswer(), 0},
      {"object in every bucket", ObjectInEveryBucket(), 0},
      {"slot beyond the table", u"[\"\\n\"]", 40},
  };
  // Each text is parsed as text and as the UTF-8 bytes of an answer.
  for (const Case& c : cases) {
    for (const bool from_bytes : {false, true}) {
      SCOPED_TRACE(from_bytes ? "as UTF-8 bytes" : "as text");
      const std::string bytes = EncodeText(c.text, NarrowEncoding::Utf8);
      ASSERT_NE(ParseJson(0, u"{\"earlier\":[\"kept\"]}"), 0);
      JsonValue* earlier = GetJsonRoot(0);
      const size_t held = HeldJsonAllocations();
      unsigned long failing = 1;
      for (;; ++failing) {
        SetJsonAllocationFailure(failing);
        JsonError error;
        const int64_t handle =
            from_bytes ? ParseUtf8Json(c.slot, bytes, &error) : ParseJson(c.slot, c.text, &error);
        SetJsonAllocationFailure(0);
        if (handle != 0) break;
        ASSERT_EQ(std::string(JsonErrorMessage(error.code)), "Out of memory")
            << c.name << ", allocation " << failing;
        ASSERT_EQ(GetJsonRoot(0), earlier) << c.name << ", allocation " << failing;
        ASSERT_EQ(HeldJsonAllocations(), held) << c.name << ", allocation " << failing;
        ASSERT_EQ(GetJsonRoot(c.slot), c.slot == 0 ? earlier : nullptr);
        ASSERT_EQ(GetString(*ArrayElement(*FindMember(*earlier, u"earlier"), 0)), u"kept");
      }
      EXPECT_GT(failing, 3u) << c.name
                             << ": the parse allocates at least root, a text and the slot";
      EXPECT_EQ(GetKind(*GetJsonRoot(c.slot)), c.slot == 0 ? JsonKind::Object : JsonKind::Array);
      FreeAllJson();
    }
  }
}

// Reads every string under `value`, which allocates nothing but what decoding a string takes.
void BorrowEveryString(JsonValue& value) {
  BorrowString(value);
  for (int32_t i = 0; i < ArraySize(value); ++i) BorrowEveryString(*ArrayElement(value, i));
  BeginMembers(value);
  while (NextMember(value)) BorrowEveryString(*MemberValue(value));
}

// Strings parsed from bytes are decoded when first read, into storage of their document: a read
// that cannot have it throws std::bad_alloc and leaves the string to be read again.
TEST_F(OutOfMemory, EveryAllocationOfReadingADocumentMayFail) {
  const Text text = LargeAnswer();
  ASSERT_NE(ParseJson(1, text), 0);
  const Text expected = testing::DumpJson(*GetJsonRoot(1));
  ASSERT_NE(ParseUtf8Json(0, EncodeText(text, NarrowEncoding::Utf8)), 0);
  unsigned long failing = 1;
  for (;; ++failing) {
    SetJsonAllocationFailure(failing);
    bool thrown = false;
    try {
      BorrowEveryString(*GetJsonRoot(0));
    } catch (const std::bad_alloc&) {
      thrown = true;
    }
    SetJsonAllocationFailure(0);
    if (!thrown) break;
  }
  EXPECT_GT(failing, 1u) << "reading decodes";
  EXPECT_EQ(testing::DumpJson(*GetJsonRoot(0)), expected);
}

}  // namespace
}  // namespace llmbridge

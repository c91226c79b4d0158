#include "json/json_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "json/json_test_support.h"
#include "support/json_dump.h"
#include "text/narrow_text.h"

namespace llmbridge {
namespace {

using testing::JsonTest;

using ParserValues = JsonTest;

TEST_F(ParserValues, AnyKindMayBeTheRoot) {
  struct Case {
    Text text;
    JsonKind kind;
  };
  const Case cases[] = {
      {u"null", JsonKind::Null},          {u" 123 ", JsonKind::Number},
      {u"\ttrue\r\n", JsonKind::Boolean}, {u"\"text\"", JsonKind::String},
      {u"[]", JsonKind::Array},           {u"{}", JsonKind::Object},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetKind(Parse(c.text)), c.kind) << std::string(c.text.begin(), c.text.end());
  }
}

TEST_F(ParserValues, LiteralsGiveBooleanValues) {
  EXPECT_EQ(GetBoolean(Parse(u"true")), 1);
  JsonValue& falsity = Parse(u"false");
  EXPECT_EQ(GetKind(falsity), JsonKind::Boolean);
  EXPECT_EQ(GetBoolean(falsity), 0);
}

TEST_F(ParserValues, IntegersWrapModulo2To64AndAcceptLeadingZeros) {
  struct Case {
    Text text;
    int64_t value;
  };
  const Case cases[] = {
      {u"007", 7},
      {u"-0", 0},
      {u"-42", -42},
      {u"9223372036854775807", INT64_MAX},
      {u"9223372036854775808", INT64_MIN},
      {u"18446744073709551616", 0},
      {u"18446744073709551617", 1},
  };
  for (const Case& c : cases) {
    JsonValue& value = Parse(c.text);
    EXPECT_EQ(value.kind, JsonKind::Number);
    EXPECT_EQ(value.is_float, 0);
    EXPECT_EQ(value.integer, c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST_F(ParserValues, FractionsAndExponentsGiveDoubles) {
  struct Case {
    Text text;
    double value;
  };
  const Case cases[] = {
      {u"1.0", 1.0},
      {u"1E2", 100.0},
      {u"-2.5e-3", -0.0025},
      {u"0.1", 0.1},
      {u"1e+2", 100.0},
      {u"007.50", 7.5},
      // Either side of the limits within which the digits are turned into a double directly:
      // every result is the correctly rounded one, whichever way it was reached.
      {u"9007199254740992.0", 9007199254740992.0},
      {u"9007199254740993.0", 9007199254740992.0},
      {u"1e22", 1e22},
      {u"1e23", 1e23},
      {u"1e-22", 1e-22},
      {u"4.9e-324", 4.9e-324},
      {u"1234567890123456789e-19", 0.1234567890123456789},
      {u"12345678901234567890.5e-1", 1234567890123456789.05},
      {u"0.30000000000000004441", 0.30000000000000004441},
      {u"1e00000000000000000000000000001", 10.0},
      {u"-0.0000000000000000000000001e25", -1.0},
  };
  for (const Case& c : cases) {
    JsonValue& value = Parse(c.text);
    EXPECT_EQ(value.kind, JsonKind::Number);
    EXPECT_EQ(value.is_float, 1);
    EXPECT_EQ(value.real, c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST_F(ParserValues, NumberEndsAtTheCodeUnitAfterIt) {
  JsonValue& array = Parse(u"[1,-2.5,3e1]");
  ASSERT_EQ(ArraySize(array), 3);
  EXPECT_EQ(GetInteger(*ArrayElement(array, 0)), 1);
  EXPECT_EQ(ArrayElement(array, 1)->real, -2.5);
  EXPECT_EQ(ArrayElement(array, 2)->real, 30.0);
}

using ParserStrings = JsonTest;

TEST_F(ParserStrings, EscapesAreResolved) {
  struct Case {
    Text text;
    Text stored;
  };
  const Case cases[] = {
      {uR"("\u00e9")", u"\u00e9"},
      {uR"("\uD83D\uDE00")", u"\U0001F600"},
      {uR"("\"\\\/\b\f\n\r\t")", u"\"\\/\b\f\n\r\t"},
      {uR"("\uABCD\uabcd")", u"\uABCD\uABCD"},
      {uR"("\uD800x")", Text(1, char16_t(0xD800)) + u"x"},
      {u"\"raw\ttab\nand line\"", u"raw\ttab\nand line"},
      {uR"("a\u0000b")", u"a"},
      {uR"("")", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetString(Parse(c.text)), c.stored);
}

TEST_F(ParserStrings, EmptyStringStoresNoText) {
  EXPECT_EQ(Parse(u"\"\"").text, nullptr);
  EXPECT_EQ(Parse(uR"("\u0000 rest is read")").text, nullptr);
}

TEST_F(ParserStrings, LongStringsGrowTheTokenBuffer) {
  const Text content(5000, u'x');
  EXPECT_EQ(GetString(Parse(u"\"" + content + u"\"")), content);
}

// Strings with escape sequences are resolved into the token buffer, a run of plain units at a
// time; the runs and the escapes must land in order however the buffer grows.
TEST_F(ParserStrings, LongEscapedStringsKeepEveryRunInOrder) {
  Text escaped = u"\"";
  Text expected;
  for (int i = 0; i < 700; ++i) {
    const Text run(static_cast<size_t>(i % 9), char16_t(u'a' + i % 26));
    escaped += run + u"\\n\\u00e9";
    expected += run + u"\n\u00e9";
  }
  escaped += Text(3000, u'z') + u"\\t\"";
  expected += Text(3000, u'z') + u"\t";
  EXPECT_EQ(GetString(Parse(escaped)), expected);
}

TEST_F(ParserStrings, AnEscapedNulEndsTheStoredTextOfALongString) {
  const Text head(1500, u'h');
  const Text tail = u"\\n" + Text(1500, u't') + u"\\u0041";
  EXPECT_EQ(GetString(Parse(u"\"" + head + u"\\u0000" + tail + u"\"")), head);
  JsonValue& object = Parse(u"{\"" + head + u"\\u0000" + tail + u"\":1}");
  EXPECT_EQ(GetInteger(*FindMember(object, head)), 1);
}

// Plain content is scanned several code units at a time: what ends it must be found wherever it
// falls, and units near a quotation mark, a backslash or NUL must not end it.
TEST_F(ParserStrings, WhatEndsPlainContentIsFoundAtEveryPosition) {
  const Text fillers[] = {u"x", u"\u0122", u"\u225C", u"\u8022", u"\u0100", u"\uFFFF"};
  for (const Text& filler : fillers) {
    Text content;
    for (size_t length = 0; length < 12; content += filler, ++length) {
      SCOPED_TRACE(::testing::Message() << "filler " << int(filler[0]) << ", length " << length);
      EXPECT_EQ(GetString(Parse(u"\"" + content + u"\"")), content);
      EXPECT_EQ(GetString(Parse(u"\"" + content + u"\\n\"")), content + u"\n");
      EXPECT_EQ(ErrorOf(u"\"" + content), "Unexpected end of input");
      EXPECT_EQ(last_error.offset, length + 1);
      EXPECT_EQ(ErrorOf(u"\"" + content + char16_t(0) + u"\""), "Unexpected end of input");
      EXPECT_EQ(last_error.offset, length + 1);
    }
  }
}

TEST_F(ParserStrings, KeysWithAndWithoutEscapesMeet) {
  JsonValue& object = Parse(u"{\"ab\":1,\"a\\u0062\":2,\"\\u0061b\":3}");
  EXPECT_EQ(MemberCount(object), 1u);
  EXPECT_EQ(GetInteger(*FindMember(object, u"ab")), 3);
}

using ParserErrors = JsonTest;

TEST_F(ParserErrors, FirstErrorWinsAndCarriesItsOffset) {
  EXPECT_EQ(ErrorOf(u"[1, x, \"\\q\"]"), "Unexpected character");
  EXPECT_EQ(last_error.offset, 4u);
  EXPECT_EQ(ErrorOf(u"[1"), "Unexpected end of input");
  EXPECT_EQ(last_error.offset, 2u);
  EXPECT_EQ(ErrorOf(u"[true]"), "");
  EXPECT_EQ(last_error.code, JsonErrorCode::None);
}

// Each malformed text gives its message, reported at the code unit where the parser stood.
TEST_F(ParserErrors, EachMalformedTextHasItsMessageWhereTheParserStood) {
  struct Case {
    Text text;
    const char* message;
    size_t offset;
  };
  const Case cases[] = {
      {u"", "Unexpected end of input", 0},
      {u"  ", "Unexpected end of input", 2},
      {u" \t\r\n", "Unexpected end of input", 4},
      {u"1.", "Unexpected end of input", 2},
      {u"-", "Unexpected end of input", 1},
      {u"[", "Unexpected end of input", 1},
      {u"[1,2", "Unexpected end of input", 4},
      {u"{\"a\":", "Unexpected end of input", 5},
      {u"{\"a\"", "Unexpected end of input", 4},
      {u"tru", "Unexpected end of input", 3},
      {u"\"abc", "Unexpected end of input", 4},
      {u"\"open", "Unexpected end of input", 5},
      {u"\"a\\", "Unexpected end of input", 3},
      {u"\"\\u12", "Unexpected end of input", 5},
      {u"+1", "Unexpected character", 0},
      {u".5", "Unexpected character", 0},
      {u"True", "Unexpected character", 0},
      {u"\uFEFF{}", "Unexpected character", 0},
      {u"\f1", "Unexpected character", 0},
      {u"trUe", "Unexpected character", 2},
      {u"nul1", "Unexpected character", 3},
      {u"1 2", "Unexpected character", 2},
      {u"[1,]", "Unexpected character", 3},
      {u"[1 2]", "Unexpected character", 3},
      {u"{} x", "Unexpected character", 3},
      {u"{\"a\":1 \"b\":2}", "Unexpected character", 7},
      {u"-a", "Invalid numeric value", 1},
      {u"1.x", "Invalid numeric value", 2},
      {u"1ex", "Invalid numeric value", 2},
      {u"1e+x", "Invalid numeric value", 3},
      {u"\"\\x\"", "Invalid escape sequence", 2},
      {u"\"ab\\x\"", "Invalid escape sequence", 4},
      {u"\"\\u12G4\"", "Invalid escape sequence", 5},
      {u"{\"k\\ty\":\"v\\u0000w\\q\"}", "Invalid escape sequence", 18},
      {u"{\"a\" 1}", "Expected a ':' character", 5},
      {u"{\"a\":1,}", "A member name (string) is expected", 7},
      {u"{a:1}", "A member name (string) is expected", 1},
      {Text(1001, u'['), "Nesting too deep", 1000},
      {u"\"" + Text(2000, u'x') + u"\\n" + Text(10, u'y'), "Unexpected end of input", 2013},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf(c.text), c.message) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(last_error.offset, c.offset) << std::string(c.text.begin(), c.text.end());
  }
}

TEST_F(ParserErrors, TextEndsAtItsFirstNul) {
  const Text text = Text(u"[1]") + char16_t(0) + u"garbage";
  EXPECT_EQ(ArraySize(Parse(text)), 1);
  const Text cut = Text(u"[1") + char16_t(0) + u"]";
  EXPECT_EQ(ErrorOf(cut), "Unexpected end of input");
}

using ParserUtf8 = JsonTest;

// Answers are parsed from their UTF-8 bytes without decoding them first. Every input, broken ones
// included, must give what parsing its decoded text gives: the same document or the same error.
// On Windows the decoded text comes from the system's own decoder.
TEST_F(ParserUtf8, BytesParseAsTheirDecodedText) {
  std::vector<std::string> inputs = {
      "{\"content\":\"caf\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 \\\"q\\\" "
      "tab\\there\\n\"}",
      "[\"" + std::string(37, 'a') + "\xC3\xA9" + std::string(5, 'b') + "\\u00e9\\uD83D\\uDE00\"]",
      "{\"k\xC3\xA9y\":1,\"k\\u00e9y\":2,\"\":3,\"a\\u0000b\":4}",
      "[\"\xED\xA0\x80\",\"\xC0\xAF\",\"\xF4\x90\x80\x80\",\"\xE0\x80\",\"\x80\x80\",\"\xC3\"]",
      "[\"a\\u0000b\xE4\xB8\",1.5e3,-0,true,null]",
      "\"\xE4\"",           // a sequence cut short by the end takes the closing quote with it,
      "[\"x\xF0\\q",        // and an escape sequence after it,
      "[\"\\u0000\xF0\\q",  // also where an escaped NUL has ended the content
      "[\"ok\"]\xE4",
      "\xEF\xBB\xBF{}",
      "{\"a\":\xC3\xA9}",
      "[\"\\\xC3\xA9\"]",
      "[-\xC3\xA9]",
      "[tr\xC3\xA9]",
      // Strings kept undecoded until read: lone surrogates spelled by escapes beside the broken
      // bytes that decode to U+FFFD, a sequence just before the end, raw controls, every escape
      // letter, and the longest string kept undecoded beside one byte longer.
      "[\"\\uD800\",\"\xED\xA0\x80\",\"\\uDC00\\uD800x\",\"\xF0\x9F\x98\x80\\ud83d\"]",
      "\"\xC3\xA9\"",
      "[\"\x01\x1F\x7F controls\",\"12345678\\/\\b\\f\\r\\n\\t\\\\\\\"\xE6\x96\x87\"]",
      "[\"" + std::string(4094, 'a') + "\xC3\xA9\",\"" + std::string(4097, 'b') + "\"]",
  };
  // Well-formed and broken sequences at every place in the words of eight bytes strings are
  // checked in, and in the blocks of sixty-four bytes long text is decoded in, beside escape
  // sequences, the closing quotation mark and other sequences. Text is decoded a block at a time
  // only where a block and the window after it fit before the end: each input comes without and
  // with a long string after it.
  // The pieces: whole sequences of each length, the least and the greatest after the leads
  // whose second byte is restricted, then broken ones.
  const char* const pieces[] = {"\xC3\xA9",
                                "\xE6\x96\x87",
                                "\xF0\x9F\x98\x80",
                                "\xE0\xA0\x80",
                                "\xED\x9F\xBF",
                                "\xF0\x90\x80\x80",
                                "\xF4\x8F\xBF\xBF",
                                "\xED\xA0\x80",
                                "\xC0\xAF",
                                "\xF4\x90\x80\x80",
                                "\xE0\x80",
                                "\xF5\x80\x80\x80",
                                "\x80",
                                "\xC3"};
  for (const char* piece : pieces) {
    for (size_t offset = 0; offset < 72; ++offset) {
      const std::string content = std::string(offset, 'a') + piece + std::string(12, 'b') + piece +
                                  "\\n" + piece + "\xE6\x96\x87 " + piece + "\\u00e9" + piece +
                                  std::string(offset % 5, 'c') + "\\\"" + piece;
      inputs.push_back("[\"" + content + "\"]");
      inputs.push_back("[\"" + content + "\",\"" + std::string(100, 'z') + "\"]");
    }
  }
  // Long strings of the pieces, text in other scripts, ASCII and escape sequences in an order a
  // small linear congruential generator draws.
  const char* const others[] = {"\xD0\x9F\xD1\x80\xD0\xB8",
                                "\xED\x95\x9C\xEA\xB5\xAD",
                                " ",
                                "word",
                                "\\n",
                                "\\\"",
                                "\\\\",
                                "\\uD83D\\uDE00",
                                "\\u0000",
                                "\\uDC00",
                                "\\q"};
  uint32_t state = 1;
  for (int string = 0; string < 200; ++string) {
    std::string content;
    while (content.size() < 300) {
      state = state * 1103515245u + 12345u;
      const uint32_t draw = state >> 16;
      // Broken pieces and the escapes that end what is stored or fail come seldom.
      const bool rare = draw / 2 % 8 == 0;
      content +=
          draw % 2 == 0 ? pieces[draw / 16 % (rare ? 14 : 7)] : others[draw / 16 % (rare ? 11 : 8)];
    }
    inputs.push_back("[\"" + content + "\",\"" + std::string(100, 'z') + "\"]");
  }
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    const Text text =
        FromNarrow(input.data(), static_cast<int32_t>(input.size()), NarrowEncoding::Utf8);
    JsonError text_error;
    const bool from_text = ParseJson(1, text, &text_error) != 0;
    JsonError bytes_error;
    const bool from_bytes = ParseUtf8Json(0, input, &bytes_error) != 0;
    ASSERT_EQ(from_bytes, from_text);
    if (from_bytes) {
      EXPECT_EQ(testing::DumpJson(*GetJsonRoot(0)), testing::DumpJson(*GetJsonRoot(1)));
    } else {
      EXPECT_EQ(bytes_error.code, text_error.code);
    }
  }
}

// Strings of well-formed UTF-8 wait undecoded until they are read, lone surrogates spelled by
// escapes included; broken bytes are decoded to U+FFFD while parsed, so the two never meet in
// one form. Strings of up to three units are decoded into the value itself. The first read
// decodes once, and later reads borrow the same units.
TEST_F(ParserUtf8, WellFormedStringsWaitToBeDecodedAndShortOnesAreInline) {
  struct Case {
    std::string input;
    StringForm parsed;
    StringForm read;
  };
  constexpr StringForm kDecoded = StringForm::Decoded;
  constexpr StringForm kUndecoded = StringForm::Undecoded;
  constexpr StringForm kInline = StringForm::Inline;
  const Case cases[] = {
      {"\"plain \xC3\xA9\\n\"", kUndecoded, kDecoded},
      {"\"\\uD800 lone\"", kUndecoded, kDecoded},
      {"\"\xED\xA0\x80 broken\"", kDecoded, kDecoded},
      {"\"abcde\\u0000b\"", kDecoded, kDecoded},
      {"\"" + std::string(4096, 'a') + "\"", kUndecoded, kDecoded},
      {"\"" + std::string(4097, 'a') + "\"", kDecoded, kDecoded},
      {"\"" + std::string(4097, 'a') + "\"" + std::string(8, ' '), kDecoded, kDecoded},
      {"\"\\uD800\"", kInline, kInline},
      {"\"\xF0\x9F\x98\x80\xE6\x96\x87\"", kInline, kInline},
      {"\"\xF0\x9F\x98\x80\xE6\x96\x87\\n\"", kUndecoded, kDecoded},
      {"\"\xED\xA0\x80\"", kInline, kInline},
      {"\"\"", kInline, kInline},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 20));
    ASSERT_NE(ParseUtf8Json(0, c.input), 0);
    JsonValue& root = *GetJsonRoot(0);
    EXPECT_EQ(root.form, c.parsed);
    const std::u16string_view first = BorrowString(root);
    EXPECT_EQ(root.form, c.read);
    EXPECT_EQ(BorrowString(root).data(), first.data());
  }
}

using ParserDepth = JsonTest;

TEST_F(ParserDepth, AThousandLevelsAreAccepted) {
  const int depth = kMaxJsonDepth;
  JsonValue* value = &Parse(Text(depth, u'[') + Text(depth, u']'));
  int levels = 0;
  while (GetKind(*value) == JsonKind::Array && ArraySize(*value) == 1) {
    value = ArrayElement(*value, 0);
    ++levels;
  }
  EXPECT_EQ(levels + 1, depth) << "the innermost array is empty";
}

TEST_F(ParserDepth, DeeperDocumentsAreRefusedWithoutExhaustingTheStack) {
  struct Case {
    Text open;
    Text close;
    size_t levels;
  };
  const Case cases[] = {
      {u"[", u"]", kMaxJsonDepth + 1},
      {u"[", u"]", 1000000},
      {u"{\"a\":", u"}", 1000000},
      {u"[{\"a\":", u"}]", 500000},  // arrays and objects count together
  };
  for (const Case& c : cases) {
    Text text;
    for (size_t i = 0; i < c.levels; ++i) text += c.open;
    text += u"0";
    for (size_t i = 0; i < c.levels; ++i) text += c.close;
    EXPECT_EQ(ErrorOf(text), "Nesting too deep") << c.levels;
    EXPECT_EQ(GetJsonRoot(0), nullptr);
  }
  EXPECT_EQ(ErrorOf(Text(1000000, u'[')), "Nesting too deep") << "unclosed";
}

using ParserSlots = JsonTest;

TEST_F(ParserSlots, FailedParseLeavesTheEarlierDocument) {
  EXPECT_EQ(GetJsonRoot(0), nullptr);
  EXPECT_EQ(ErrorOf(u"{"), "Unexpected end of input");
  EXPECT_EQ(GetJsonRoot(0), nullptr);
  ASSERT_EQ(ParseJson(0, u"{\"k\":\"first\"}"), 1);
  JsonValue* first = GetJsonRoot(0);
  EXPECT_EQ(ParseJson(0, u"{\"k\":"), 0);
  ASSERT_EQ(GetJsonRoot(0), first);
  EXPECT_EQ(GetString(*FindMember(*first, u"k")), u"first");
  ASSERT_NE(ParseJson(0, u"[2]"), 0);
  EXPECT_EQ(GetKind(*GetJsonRoot(0)), JsonKind::Array);
}

TEST_F(ParserSlots, SlotsAreIndependentAndTheTableGrows) {
  InitJsonSlots();
  EXPECT_EQ(ParseJson(0, u"0"), 1);
  EXPECT_EQ(ParseJson(7, u"7"), 8);
  EXPECT_EQ(ParseJson(20, u"20"), 21);
  EXPECT_EQ(GetJsonRoot(19), nullptr);
  EXPECT_EQ(GetJsonRoot(28), nullptr);
  EXPECT_EQ(GetJsonRoot(29), nullptr) << "beyond the grown table";
  for (int32_t slot : {0, 7, 20}) EXPECT_EQ(GetInteger(*GetJsonRoot(slot)), slot);
  EXPECT_EQ(ParseJson(-1, u"1", &last_error), 0);
  EXPECT_EQ(std::string(JsonErrorMessage(last_error.code)), "Invalid document slot");
  EXPECT_EQ(GetJsonRoot(-1), nullptr);
  FreeAllJson();
  EXPECT_EQ(GetJsonRoot(0), nullptr);
  EXPECT_EQ(GetJsonRoot(20), nullptr);
}

TEST_F(ParserSlots, RepeatedKeyKeepsItsPlaceWithTheLaterValue) {
  JsonValue& object = Parse(u"{\"a\":1,\"b\":{\"x\":[1]},\"a\":2,\"b\":\"s\"}");
  EXPECT_EQ(MemberCount(object), 2u);
  EXPECT_EQ(GetInteger(*FindMember(object, u"a")), 2);
  EXPECT_EQ(GetString(*FindMember(object, u"b")), u"s");
  EXPECT_EQ(testing::VisitedKeys(object), (std::vector<Text>{u"a", u"b"}));
}

}  // namespace
}  // namespace llmbridge

// Documents checked against what the parser recorded for them before its layout changed: the
// fixtures (the fuzzer's seed corpus), a table of small inputs at the edges of strings, keys and
// errors, and the benchmark's documents. For each: the result of the parse from the bytes and from
// the decoded text (message and offset on failure), the three walkers' results, and a dump of
// every navigation call's answer over the whole document. Small documents keep their dump in
// tests/json/golden; large ones a hash of it.
//
// LLMBRIDGE_WRITE_GOLDEN=1 in the environment makes the tests write the files instead of
// comparing with them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_documents.h"
#include "bench/hostile_documents.h"
#include "flows/response_walkers.h"
#include "json/json_navigation.h"
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "state/library_state.h"
#include "support/fixture_text.h"
#include "text/narrow_text.h"

namespace llmbridge {
namespace {

// Texts as ASCII: printable units as they are, every other unit as \uXXXX, so the files tell
// apart each code unit, lone surrogates and U+FFFD included.
void AppendUnits(std::string& out, std::u16string_view text) {
  out += std::to_string(text.size());
  out += '"';
  for (const char16_t unit : text) {
    if (unit >= 0x20 && unit < 0x7F && unit != '\\' && unit != '"') {
      out += static_cast<char>(unit);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
      out += escape;
    }
  }
  out += '"';
}

// One value and everything under it, asking each navigation call what it answers. An object is
// first asked for NextMember without BeginMembers, which shows where the parse left its cursor;
// then it is iterated, asked once more past its end, and each key is found again. `out` gets one
// line per value.
void DumpNavigation(JsonValue& value, std::string& out) {
  out += std::to_string(static_cast<int>(GetKind(value)));
  out += " i" + std::to_string(GetInteger(value)) + " b" + std::to_string(GetBoolean(value));
  out += " n" + std::to_string(ArraySize(value)) + " s";
  AppendUnits(out, GetString(value));
  switch (GetKind(value)) {
    case JsonKind::Number:
      if (value.is_float) {
        uint64_t bits;
        std::memcpy(&bits, &value.real, sizeof bits);
        out += " r" + std::to_string(bits);
      } else {
        out += " z" + std::to_string(value.integer);
      }
      break;
    case JsonKind::Array:
      out += ArrayElement(value, -1) == nullptr && ArrayElement(value, ArraySize(value)) == nullptr
                 ? "\n"
                 : " out-of-range-element\n";
      for (int32_t i = 0; i < ArraySize(value); ++i) DumpNavigation(*ArrayElement(value, i), out);
      out += "]";
      break;
    case JsonKind::Object: {
      out += " fresh:";
      if (NextMember(value)) {
        AppendUnits(out, MemberKey(value));
      } else {
        out += "end";
      }
      out += "\n";
      std::vector<Text> keys;
      std::vector<JsonValue*> values;
      BeginMembers(value);
      if (MemberValue(value) != nullptr || !MemberKey(value).empty())
        out += "current-after-begin\n";
      while (NextMember(value)) {
        keys.push_back(MemberKey(value));
        values.push_back(MemberValue(value));
        out += "k";
        AppendUnits(out, keys.back());
        out += "\n";
        DumpNavigation(*values.back(), out);
      }
      if (NextMember(value) || MemberValue(value) != nullptr) out += "moved-past-end\n";
      // Each key finds its own member, which becomes current: the next member follows it. Large
      // objects are sampled, 64 keys at most.
      const size_t stride = keys.size() / 64 + 1;
      for (size_t i = 0; i < keys.size(); i += stride) {
        if (FindMember(value, keys[i]) != values[i]) out += "find-missed:" + std::to_string(i);
        const bool has_next = NextMember(value);
        if (has_next != (i + 1 < keys.size()) || (has_next && MemberKey(value) != keys[i + 1]))
          out += "next-after-find:" + std::to_string(i);
      }
      if (FindMember(value, u"\xFFFF-absent") != nullptr) out += "found-absent";
      out += "}";
      break;
    }
    default:
      break;
  }
  out += "\n";
}

std::string ParseResult(int64_t handle, const JsonError& error) {
  if (handle != 0) return "ok";
  return std::string(JsonErrorMessage(error.code)) + " at " + std::to_string(error.offset);
}

void ResetWalkerResults() {
  LibraryState& state = GetLibraryState();
  state.ChatReply = u"before";
  state.ModelList = u"before";
  state.ModelCount = 0;
  state.ImageResult = u"before";
}

// Everything recorded for the UTF-8 answer `bytes`, read up to its first zero byte as the flows
// read it: the parse results, the walkers' results and the navigation dump.
std::string Record(const std::string& bytes) {
  JsonError error;
  std::string out = "bytes: " + ParseResult(ParseUtf8Json(0, bytes.c_str(), &error), error) + "\n";
  const Text text = FromNarrow(bytes.c_str(), -1, NarrowEncoding::Utf8);
  out += "text: " + ParseResult(ParseJson(1, text, &error), error) + "\n";
  const bool parsed = ParseUtf8Json(0, bytes.c_str()) != 0;
  ResetWalkerResults();
  CollectContent(parsed ? GetJsonRoot(0) : nullptr);
  CollectModelIds(parsed ? GetJsonRoot(0) : nullptr);
  CollectLastString(parsed ? GetJsonRoot(0) : nullptr);
  const LibraryState& state = GetLibraryState();
  out += "content: ";
  AppendUnits(out, state.ChatReply);
  out += "\nids: ";
  AppendUnits(out, state.ModelList);
  out += "\nimage: ";
  AppendUnits(out, state.ImageResult);
  out += "\n";
  if (parsed && ParseUtf8Json(0, bytes.c_str()) != 0) DumpNavigation(*GetJsonRoot(0), out);
  FreeAllJson();
  return out;
}

// FNV-1a, 64 bits: enough to tell a changed dump from the recorded one.
std::string HashOf(const std::string& dump) {
  uint64_t hash = 14695981039346656037u;
  for (const char c : dump) hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211u;
  char hex[24];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return std::to_string(dump.size()) + " bytes, hash " + hex + "\n";
}

bool WritingGolden() {
  const char* write = std::getenv("LLMBRIDGE_WRITE_GOLDEN");
  return write != nullptr && std::strcmp(write, "1") == 0;
}

// Compares `actual` with the golden file `name`, or writes it there.
void ExpectGolden(const std::string& name, const std::string& actual) {
  const std::string path = std::string(LLMBRIDGE_JSON_GOLDEN_DIR) + "/" + name;
  if (WritingGolden()) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(actual.data(), 1, actual.size(), file);
    std::fclose(file);
    return;
  }
  std::string expected;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr) << "no golden file " << path;
  char chunk[4096];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) expected.append(chunk, count);
  std::fclose(file);
  EXPECT_EQ(actual, expected) << name;
}

TEST(GoldenDocuments, Fixtures) {
  const char* const names[] = {
      "chat_groq.json",
      "chat_llamacpp.json",
      "chat_ollama.json",
      "chat_openai.json",
      "chat_openai_tool_call.json",
      "chat_openai_two_choices.json",
      "chat_unicode_escapes.json",
      "chat_vllm.json",
      "error_detail.json",
      "error_llamacpp.json",
      "error_openai.json",
      "error_plain.txt",
      "error_string.json",
      "error_vllm_flat.json",
      "image_b64.json",
      "image_url.json",
      "models_llamacpp.json",
      "models_ollama_empty.json",
      "models_openai.json",
      "models_vllm.json",
  };
  for (const char* name : names) {
    ExpectGolden(std::string(name) + ".golden", Record(testing::ReadFixtureBytes(name)));
  }
}

// Strings and keys whose stored form a layout could get wrong: escapes, broken and cut UTF-8,
// lone surrogates written as escapes next to bytes that decode to U+FFFD, escaped NULs, repeated
// keys and keys that share a bucket; and errors with their offsets.
TEST(GoldenDocuments, EdgeInputs) {
  const char* const inputs[] = {
      "{\"b\":1,\"a\":2}",
      "{\"prompt_tokens\":1,\"completion_tokens\":2,\"total_tokens\":3}",
      "{\"url\":1,\"permission\":2,\"url\":[3],\"permission\":{\"x\":4}}",
      "{\"k\":1,\"k\":2,\"j\":3,\"k\":{\"content\":\"c\"}}",
      "{\"\":1,\"\\u0000\":2,\"a\\u0000b\":3,\"a\":4}",
      "[\"\\uD800\",\"\xED\xA0\x80\",\"\\uDC00\\uD800\",\"\\uD83D\\uDE00\",\"\xF0\x9F\x98\x80\"]",
      "{\"\\uD800\":1,\"\xED\xA0\x80\":2,\"\xEF\xBF\xBD\":3}",
      "[\"\xC3\",\"\xC3\\n\",\"a\x80z\",\"\xF4\x90\x80\x80\",\"\xE2\x82\"]",
      "[\"a\\u0000\\n\\u12\"]",
      "[\"a\\u0000\\x\"]",
      "[\"tail \xE2\x82",
      "{\"content\":\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\"}",
      "[1, -0, 007, 1.0, 1E2, -2.9, 3e10, 9223372036854775808, 18446744073709551616, true, false, "
      "null]",
      "[[[]],{},{\"a\":{}},[{}],\"\"]",
      "{\"a\":1,}",
      "{\"a\" 1}",
      "{a:1}",
      "[1 2]",
      "[1,]",
      "\xEF\xBB\xBF{}",
      "tru",
      "1.x",
      "{\"a\":[1,{\"b\":\"\\q\"}]}",
      "  ",
      "{\"id\":\"x\",\"data\":[{\"id\":\"m1\",\"permission\":[{\"id\":\"p1\"}]},{\"id\":\"m2\"}]}",
  };
  std::string all;
  for (const char* input : inputs) {
    all += "== ";
    AppendUnits(all, FromNarrow(input, -1, NarrowEncoding::Utf8));
    all += "\n" + Record(input);
  }
  ExpectGolden("edge_inputs.golden", all);
}

TEST(GoldenDocuments, BenchmarkDocuments) {
  // The benchmark's own sizes; the answers built to be slow at 1 MB, the same shapes.
  constexpr size_t kMegabyte = 1 << 20;
  const std::pair<const char*, std::string> documents[] = {
      {"(a)", bench::MakeChatAnswer(1 << 20)},
      {"(b)", bench::MakeModelList(20000)},
      {"(c)", bench::MakeMixedDocument(5 << 20)},
      {"(d)", bench::MakeMultilingualChatAnswer(900 << 10)},
      {"(e)", bench::MakeMultilingualMixedDocument(4800 << 10)},
      {"one bucket", bench::MakeOneBucketObject(kMegabyte)},
      {"repeated key", bench::MakeRepeatedKey(kMegabyte)},
      {"deep nesting", bench::MakeDeepNesting(kMegabyte)},
      {"escaped string", bench::MakeEscapedString(kMegabyte)},
      {"many elements", bench::MakeManyElements(500000)},
  };
  std::string all;
  for (const auto& [name, bytes] : documents)
    all += std::string(name) + ": " + HashOf(Record(bytes));
  ExpectGolden("benchmark_documents.golden", all);
}

}  // namespace
}  // namespace llmbridge

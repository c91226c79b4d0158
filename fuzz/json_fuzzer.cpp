// Feeds arbitrary bytes through the answer path: ParseUtf8Json, the three walkers, and freeing
// the document. The bytes must parse exactly as their decoded text does, to the same
// document or the same error; and every input that nlohmann::json accepts as strict JSON must
// parse here too, to the same values wherever both can represent them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

#include "flows/response_walkers.h"
#include "json/json_memory.h"
#include "json/json_navigation.h"
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "runtime/library_lifecycle.h"
#include "state/library_state.h"
#include "support/json_dump.h"
#include "text/narrow_text.h"

namespace {

using namespace llmbridge;
using Json = nlohmann::json;

Text TextFromUtf8(const std::string& bytes) {
  return FromNarrow(bytes.data(), static_cast<int32_t>(bytes.size()), NarrowEncoding::Utf8);
}

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "differential mismatch: %s\n", what);
    std::abort();
  }
}

bool KeysHoldNul(const Json& object) {
  for (const auto& member : object.items()) {
    if (member.key().find('\0') != std::string::npos) return true;
  }
  return false;
}

// Integers beyond 64 bits become reals there and wrap here: those are not compared.
void RequireSameValue(const Json& expected, JsonValue& actual) {
  switch (expected.type()) {
    case Json::value_t::null:
      return Require(GetKind(actual) == JsonKind::Null, "null");
    case Json::value_t::boolean:
      return Require(GetKind(actual) == JsonKind::Boolean &&
                         GetBoolean(actual) == (expected.get<bool>() ? 1 : 0),
                     "boolean");
    case Json::value_t::number_integer:
      return Require(actual.kind == JsonKind::Number && !actual.is_float &&
                         actual.integer == expected.get<int64_t>(),
                     "integer");
    case Json::value_t::number_unsigned:
      return Require(actual.kind == JsonKind::Number && !actual.is_float &&
                         static_cast<uint64_t>(actual.integer) == expected.get<uint64_t>(),
                     "unsigned integer");
    case Json::value_t::number_float:
      if (actual.kind == JsonKind::Number && !actual.is_float) return;  // wrapped integer
      return Require(actual.kind == JsonKind::Number && actual.real == expected.get<double>(),
                     "real");
    case Json::value_t::string:
      return Require(GetString(actual) == TextFromUtf8(expected.get<std::string>()), "string");
    case Json::value_t::array: {
      Require(GetKind(actual) == JsonKind::Array &&
                  static_cast<size_t>(ArraySize(actual)) == expected.size(),
              "array size");
      int32_t index = 0;
      for (const Json& element : expected)
        RequireSameValue(element, *ArrayElement(actual, index++));
      return;
    }
    case Json::value_t::object: {
      Require(GetKind(actual) == JsonKind::Object, "object");
      // A key with an escaped U+0000 is cut there, so such keys may merge here.
      if (!KeysHoldNul(expected)) {
        Require(MemberCount(actual) == expected.size(), "member count");
      }
      for (const auto& member : expected.items()) {
        JsonValue* found = FindMember(actual, TextFromUtf8(member.key()));
        Require(found != nullptr, "member");
        RequireSameValue(member.value(), *found);
      }
      return;
    }
    case Json::value_t::binary:
    case Json::value_t::discarded:
      return;
  }
}

// Frees, when a run ends, everything the run built: the documents, the arena chunks the JSON
// storage keeps for the next parse, and the walkers' results (which start from what getmodels
// starts from: no model yet). A run then frees as much as it allocates unless it leaks. A run
// that allocates more, libFuzzer runs again and then scans the whole heap for leaks, which took
// most of the fuzzing time once documents kept their storage from one parse to the next.
struct RunStorage {
  RunStorage() = default;
  RunStorage(const RunStorage&) = delete;
  RunStorage& operator=(const RunStorage&) = delete;
  ~RunStorage() {
    FreeAllJson();
    ReleaseKeptJsonBlocks();
    LibraryState& state = GetLibraryState();
    Text().swap(state.ChatReply);
    Text().swap(state.ModelList);
    Text().swap(state.ImageResult);
    state.ModelCount = 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartLibrary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  const RunStorage run_storage;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The answer's bytes up to the first zero byte, as the flows read them.
  JsonError error;
  const bool parsed = ParseUtf8Json(0, bytes.c_str(), &error) != 0;
  JsonError decoded_error;
  const bool decoded_parsed = ParseJson(1, TextFromUtf8(bytes), &decoded_error) != 0;
  Require(parsed == decoded_parsed, "bytes and decoded text parse alike");
  Require(parsed ? testing::DumpJson(*GetJsonRoot(0)) == testing::DumpJson(*GetJsonRoot(1))
                 : error.code == decoded_error.code,
          "bytes and decoded text give the same document or error");
  JsonValue* root = parsed ? GetJsonRoot(0) : nullptr;
  CollectContent(root);
  CollectModelIds(root);
  CollectLastString(root);

  const bool byte_order_mark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;  // skipped there only
  if (byte_order_mark || !Json::accept(bytes)) return 0;
  if (!parsed) {
    Require(error.code == JsonErrorCode::NestingTooDeep, "refused valid JSON");
    return 0;
  }
  RequireSameValue(Json::parse(bytes), *root);
  return 0;
}

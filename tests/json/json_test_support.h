// Small helpers shared by the JSON suites.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/json_navigation.h"
#include "json/json_parser.h"
#include "json/json_slots.h"

namespace llmbridge::testing {

// Frees every document after each test, so no test sees another's slots.
class JsonTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeAllJson(); }

  // Parses into slot 0 and returns the root; fails the test when the parse fails.
  JsonValue& Parse(const Text& text) {
    static JsonValue null_value = MakeNullJsonValue();
    if (ParseJson(0, text, &last_error) == 0) {
      ADD_FAILURE() << "parse failed: " << JsonErrorMessage(last_error.code);
      return null_value;
    }
    return *GetJsonRoot(0);
  }

  // The message of the error a parse of `text` into slot 0 fails with; empty after a success.
  std::string ErrorOf(const Text& text) {
    if (ParseJson(0, text, &last_error) != 0) return std::string();
    return JsonErrorMessage(last_error.code);
  }

  // What the last Parse or ErrorOf reported.
  JsonError last_error = {JsonErrorCode::None, 0};
};

// An object's keys in visiting order, starting with BeginMembers.
inline std::vector<Text> VisitedKeys(JsonValue& object) {
  std::vector<Text> keys;
  BeginMembers(object);
  while (NextMember(object)) keys.push_back(MemberKey(object));
  return keys;
}

}  // namespace llmbridge::testing

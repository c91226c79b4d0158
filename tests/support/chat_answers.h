// The answers the tests' servers give to a chat request: a whole completion, or one event of a
// streamed one. `content` goes between the quotes of a JSON string as it stands, escapes and all.
#pragma once

#include <string>

namespace llmbridge::testing {

inline std::string ChatAnswer(const std::string& content) {
  return "{\"id\": \"chatcmpl-1\", \"object\": \"chat.completion\", \"created\": 1, \"model\": "
         "\"m1\", \"choices\": [{\"index\": 0, \"message\": {\"role\": \"assistant\", "
         "\"content\": \"" +
         content + "\"}, \"finish_reason\": \"stop\"}], \"usage\": {\"prompt_tokens\": 1}}";
}

inline std::string Delta(const std::string& content) {
  return "data: {\"choices\": [{\"index\": 0, \"delta\": {\"content\": \"" + content + "\"}}]}\n\n";
}

}  // namespace llmbridge::testing

// The answers of the mock server, shaped as OpenAI-compatible servers shape theirs.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace llmbridge::mock {

extern const std::vector<std::string> kModels;

// Answers keep the member order real servers write. A chat completion whose reply is derived from
// the conversation received, so that a client's conversation memory shows: it repeats the last user
// turn and counts the turns it was sent.
nlohmann::ordered_json ChatCompletion(const nlohmann::json& request);

// The same reply as a stream, as the hosted API sends it when asked for "stream": true: one
// chunk with the role, one per word of the reply, one with the finish reason; each is the data
// of one server-sent event, and "[DONE]" follows them.
std::vector<nlohmann::ordered_json> ChatCompletionChunks(const nlohmann::json& request);

nlohmann::ordered_json ModelList();

// An image answer: a revised prompt and a URL on this server or, when `carried`, the image itself
// as b64_json and no URL, as today's image models answer.
nlohmann::ordered_json ImageAnswer(const std::string& prompt, const std::string& base_url,
                                   bool carried);

// {"error": {"message", "type", "param", "code"}} as the hosted API writes it.
nlohmann::ordered_json ErrorAnswer(const std::string& message, const std::string& type,
                                   const nlohmann::json& param, const nlohmann::json& code);

}  // namespace llmbridge::mock

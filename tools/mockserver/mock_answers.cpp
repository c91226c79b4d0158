#include "mock_answers.h"

#include <chrono>

namespace llmbridge::mock {

namespace {

long long Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A rough token count: servers count tokens, a word count is close enough for a mock.
int Words(const std::string& text) {
  int words = 0;
  bool in_word = false;
  for (char c : text) {
    const bool space = c == ' ' || c == '\n' || c == '\t' || c == '\r';
    if (!space && !in_word) ++words;
    in_word = !space;
  }
  return words;
}

}  // namespace

const std::vector<std::string> kModels = {"mock-small", "mock-large"};

nlohmann::ordered_json ChatCompletion(const nlohmann::json& request) {
  const nlohmann::json& messages = request.at("messages");
  std::string last_user;
  std::string first_user;
  int user_turns = 0;
  int prompt_words = 0;
  for (const nlohmann::json& message : messages) {
    const std::string content = message.value("content", "");
    prompt_words += Words(content);
    if (message.value("role", "") != "user") continue;
    if (user_turns++ == 0) first_user = content;
    last_user = content;
  }
  std::string reply = "You said: " + last_user + ".";
  if (user_turns > 1) {
    reply +=
        " This is turn " + std::to_string(user_turns) + "; you began with: " + first_user + ".";
  }
  const int completion_words = Words(reply);

  return {
      {"id", "chatcmpl-mock" + std::to_string(Now())},
      {"object", "chat.completion"},
      {"created", Now()},
      {"model", request.at("model")},
      {"choices",
       {{{"index", 0},
         {"message",
          {{"role", "assistant"},
           {"content", reply},
           {"refusal", nullptr},
           {"annotations", nlohmann::ordered_json::array()}}},
         {"logprobs", nullptr},
         {"finish_reason", "stop"}}}},
      {"usage",
       {{"prompt_tokens", prompt_words},
        {"completion_tokens", completion_words},
        {"total_tokens", prompt_words + completion_words},
        {"prompt_tokens_details", {{"cached_tokens", 0}, {"audio_tokens", 0}}},
        {"completion_tokens_details",
         {{"reasoning_tokens", 0},
          {"audio_tokens", 0},
          {"accepted_prediction_tokens", 0},
          {"rejected_prediction_tokens", 0}}}}},
      {"service_tier", "default"},
      {"system_fingerprint", "fp_llmbridge_mock"},
  };
}

std::vector<nlohmann::ordered_json> ChatCompletionChunks(const nlohmann::json& request) {
  const nlohmann::ordered_json whole = ChatCompletion(request);
  const std::string reply = whole["choices"][0]["message"]["content"];
  const auto chunk = [&](const nlohmann::ordered_json& delta, const nlohmann::json& finish) {
    return nlohmann::ordered_json{
        {"id", whole["id"]},
        {"object", "chat.completion.chunk"},
        {"created", whole["created"]},
        {"model", whole["model"]},
        {"system_fingerprint", whole["system_fingerprint"]},
        {"choices",
         {{{"index", 0}, {"delta", delta}, {"logprobs", nullptr}, {"finish_reason", finish}}}},
    };
  };
  std::vector<nlohmann::ordered_json> chunks = {
      chunk({{"role", "assistant"}, {"content", ""}, {"refusal", nullptr}}, nullptr)};
  // One word per chunk, each with the space before it, as tokenisers cut text.
  for (size_t start = 0; start < reply.size();) {
    size_t end = reply.find(' ', start + 1);
    if (end == std::string::npos) end = reply.size();
    chunks.push_back(chunk({{"content", reply.substr(start, end - start)}}, nullptr));
    start = end;
  }
  chunks.push_back(chunk(nlohmann::ordered_json::object(), "stop"));
  return chunks;
}

nlohmann::ordered_json ModelList() {
  nlohmann::ordered_json data = nlohmann::ordered_json::array();
  for (const std::string& id : kModels) {
    data.push_back(
        {{"id", id}, {"object", "model"}, {"created", 1700000000}, {"owned_by", "llmbridge"}});
  }
  return {{"object", "list"}, {"data", data}};
}

nlohmann::ordered_json ImageAnswer(const std::string& prompt, const std::string& base_url,
                                   bool carried) {
  if (carried) {
    // A 1x1 PNG, whatever the prompt: what matters to a client is how it arrives.
    return {
        {"created", Now()},
        {"data",
         {{{"b64_json",
            "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAAB"
            "JRU5ErkJggg=="},
           {"revised_prompt", "A detailed picture of " + prompt}}}}};
  }
  return {
      {"created", Now()},
      {"data",
       {{{"revised_prompt", "A detailed picture of " + prompt},
         {"url", base_url + "/images/mock-" + std::to_string(Now()) + ".png"}}}},
  };
}

nlohmann::ordered_json ErrorAnswer(const std::string& message, const std::string& type,
                                   const nlohmann::json& param, const nlohmann::json& code) {
  return {{"error", {{"message", message}, {"type", type}, {"param", param}, {"code", code}}}};
}

}  // namespace llmbridge::mock

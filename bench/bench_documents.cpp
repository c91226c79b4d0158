#include "bench_documents.h"

#include <cstdint>

namespace llmbridge::bench {

std::string MakeChatAnswer(size_t bytes) {
  const std::string sentence =
      "The caf\xC3\xA9 serves cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
      "e \\u2014 \\\"really\\\" good.\\n";
  std::string content;
  while (content.size() < bytes) content += sentence;
  return "{\"id\":\"chatcmpl-1\",\"object\":\"chat.completion\",\"created\":1741570283,"
         "\"model\":\"gpt-4o\",\"choices\":[{\"index\":0,\"message\":{\"role\":\"assistant\","
         "\"content\":\"" +
         content +
         "\",\"refusal\":null,\"annotations\":[]},"
         "\"logprobs\":null,\"finish_reason\":\"stop\"}],\"usage\":{\"prompt_tokens\":19,"
         "\"completion_tokens\":14,\"total_tokens\":33},\"system_fingerprint\":\"fp_1\"}";
}

std::string MakeModelList(int entries) {
  std::string text = "{\"object\":\"list\",\"data\":[";
  for (int i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    if (i > 0) text += ',';
    text += "{\"id\":\"org/model-" + n +
            "-Instruct\",\"object\":\"model\",\"created\":1741570900,"
            "\"owned_by\":\"vllm\",\"max_model_len\":8192,\"permission\":[{\"id\":\"modelperm-" +
            n +
            "\",\"object\":\"model_permission\",\"allow_sampling\":true,\"allow_view\":true,"
            "\"organization\":\"*\",\"group\":null}]}";
  }
  return text + "]}";
}

std::string MakeMixedDocument(size_t bytes) {
  std::string text = "{\"items\":[";
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    if (i > 0) text += ',';
    text += "{\"n\":" + n + ",\"x\":-" + n +
            ".25e-3,\"tags\":[\"\xE4\xB8\xAD\xE6\x96\x87\","
            "\"\\u00e9\\t\\\"q\\\"\",\"\xF0\x9F\x98\x80\"],\"nested\":{\"a\":{\"b\":{\"c\":[" +
            n + ",true,false,null,{\"deep\":\"" + n + "\"}]}}},\"ok\":true}";
  }
  return text + "]}";
}

namespace {

// Words of the languages users write in, emoji beyond the Basic Multilingual Plane among them,
// and the escapes a model's answer carries every few words.
constexpr const char* kMultilingualWords[] = {
    "caf\xC3\xA9",   // café
    "na\xC3\xAFve",  // naïve
    "Gr\xC3\xBC\xC3\x9F"
    "e",                                                 // Grüße
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",  // Привет
    "\xE4\xB8\xAD\xE6\x96\x87",                          // 中文
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",              // 日本語
    "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4",              // 한국어
    "\xF0\x9F\x98\x80",                                  // 😀
    "answer",
    "\xCE\xB1\xCE\xBB\xCF\x86\xCE\xB1",  // αλφα
    "\xF0\x9F\x9A\x80\xE2\x9C\xA8",      // 🚀✨
    "\\\"quoted\\\"",
    "\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A",  // عربي
    "line\\n",
    "tab\\there",
};

// Text of about `bytes` bytes made of the words above, in an order that a small linear
// congruential generator draws from `seed`, so that every run measures the same bytes.
std::string MultilingualText(size_t bytes, uint32_t seed) {
  constexpr size_t kWordCount = sizeof(kMultilingualWords) / sizeof(kMultilingualWords[0]);
  std::string text;
  uint32_t state = seed;
  while (text.size() < bytes) {
    state = state * 1103515245u + 12345u;
    text += kMultilingualWords[(state >> 16) % kWordCount];
    text += (state >> 8) % 7 == 0 ? "\\n" : " ";
  }
  return text;
}

}  // namespace

std::string MakeMultilingualChatAnswer(size_t bytes) {
  return "{\"id\":\"chatcmpl-2\",\"object\":\"chat.completion\",\"created\":1741570283,"
         "\"model\":\"gpt-4o\",\"choices\":[{\"index\":0,\"message\":{\"role\":\"assistant\","
         "\"content\":\"" +
         MultilingualText(bytes, 1) +
         "\",\"refusal\":null,\"annotations\":[]},"
         "\"logprobs\":null,\"finish_reason\":\"stop\"}],\"usage\":{\"prompt_tokens\":19,"
         "\"completion_tokens\":14,\"total_tokens\":33},\"system_fingerprint\":\"fp_1\"}";
}

std::string MakeMultilingualMixedDocument(size_t bytes) {
  std::string text = "{\"messages\":[";
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    const uint32_t seed = 3 * static_cast<uint32_t>(i);
    if (i > 0) text += ',';
    text += "{\"n\":" + n + ",\"role\":\"" + (i % 2 == 0 ? "user" : "assistant") +
            "\",\"content\":\"" + MultilingualText(40 + i % 200, seed) + "\",\"tags\":[\"" +
            MultilingualText(8, seed + 1) + "\",\"" + MultilingualText(16, seed + 2) +
            "\"],\"meta\":{\"score\":0." + n + ",\"ok\":true,\"lang\":null}}";
  }
  return text + "]}";
}

}  // namespace llmbridge::bench

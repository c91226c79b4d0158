#include "bench_documents.h"

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

}  // namespace llmbridge::bench

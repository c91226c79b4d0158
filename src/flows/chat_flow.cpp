#include "flows/chat_flow.h"

#include "flows/request_parts.h"
#include "flows/response_walkers.h"
#include "http/http_request.h"
#include "state/library_state.h"
#include "text/escaping.h"
#include "text/number_text.h"

namespace llmbridge {

namespace {

// Hosts pass any integer text; the request carries its low 32 bits as a signed value.
Text MaxTokensText(const Text& max_tokens) {
  const auto low_bits = static_cast<int32_t>(static_cast<uint32_t>(ParseInteger(max_tokens)));
  return FormatInteger(low_bits);
}

}  // namespace

Text Chat(const ChatArguments& arguments) {
  LibraryState& state = GetLibraryState();
  const ProgressWindowScope window(arguments.show_window);
  const Text url = u"http://" + arguments.server_address + u"/v1/chat/completions";
  const HeaderMap headers = BearerHeaders(arguments.api_key, true);

  state.ConversationLog +=
      u"{\"role\": \"user\", \"content\": \"" + PreparePrompt(arguments.prompt) + u"\"}";
  const Text body = u"{\"max_tokens\": " + MaxTokensText(arguments.max_tokens) +
                    u", \"model\": \"" + EscapeText(arguments.model) + u"\", \"temperature\": " +
                    arguments.temperature + u", \"stream\": false, \"n\": 1, \"messages\": [" +
                    state.ConversationLog + u"]}";

  HttpRequestPtr request = OpenHttpRequest(kHttpPost, url, body, 0, &headers);
  if (request == nullptr) {
    state.ConversationLog.clear();
    return u"Request Failed";
  }
  const Text status = HttpRequestInfo(*request, kHttpStatusCode);
  if (!TextsEqual(status, u"200")) {
    state.ConversationLog.clear();
    return ApiErrorText(status);
  }
  CollectContent(ParseAnswer(ResponseBodyBytes(*request)));
  state.ConversationLog +=
      u",{\"role\": \"assistant\", \"content\": \"" + EscapeText(state.ChatReply) + u"\"},";
  return state.ChatReply;
}

}  // namespace llmbridge

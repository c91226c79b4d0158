#include "flows/chat_flow.h"

#include "flows/bearer_headers.h"
#include "flows/chosen_transfer.h"
#include "flows/exchange.h"
#include "flows/failure_detail.h"
#include "flows/progress_window_scope.h"
#include "flows/reply_content.h"
#include "flows/request_body.h"
#include "flows/response_walkers.h"
#include "flows/server_address.h"
#include "flows/server_message.h"
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

// The request body. An empty temperature leaves its member out: "temperature": , is no JSON,
// and servers refuse it. A base URL's body also leaves out an empty maximum, which reasoning
// models refuse; a host address keeps sending it as 0. The host's system message comes first in
// "messages", before the conversation. `stream` asks for the reply as server-sent events.
Text ChatBody(const ChatArguments& arguments, bool base_url, const Text& conversation, bool stream,
              const HostOptions& options) {
  RequestBody body(options.body);
  if (!base_url || !arguments.max_tokens.empty())
    body.Add(u"max_tokens", MaxTokensText(arguments.max_tokens));
  body.Add(u"model", u"\"" + EscapeText(arguments.model) + u"\"");
  // Placed as it is: hosts may pass more members through it.
  if (!arguments.temperature.empty()) body.Add(u"temperature", arguments.temperature);
  body.Add(u"stream", stream ? u"true" : u"false");
  body.Add(u"n", u"1");
  // Never the host's: the body option refuses "messages".
  if (Text* messages = body.Member(u"messages")) {
    *messages += u'[';
    if (!options.system.empty())
      *messages += u"{\"role\": \"system\", \"content\": \"" + EscapeText(options.system) + u"\"},";
    *messages += conversation;
    *messages += u']';
  }
  return body.Finish();
}

}  // namespace

Text ChatArgumentsProblem(const ChatArguments& arguments) {
  // A base URL's body is always JSON: a temperature that is no number fails the call before
  // anything is sent, and the conversation stays as it was.
  if (IsBaseUrl(arguments.server_address) && !arguments.temperature.empty() &&
      !IsJsonNumber(arguments.temperature))
    return u"the temperature \"" + arguments.temperature + u"\" is not a number";
  return Text();
}

ChatRequestParts ChatRequest(const ChatArguments& arguments, const Text& messages, bool stream,
                             const HostOptions& options) {
  return {EndpointUrl(arguments.server_address, u"/chat/completions"),
          BearerHeaders(arguments.api_key, true, options.headers),
          ChatBody(arguments, IsBaseUrl(arguments.server_address), messages, stream, options)};
}

Text UserTurn(const Text& prompt) {
  return u"{\"role\": \"user\", \"content\": \"" + PreparePrompt(prompt) + u"\"}";
}

void AppendAssistantTurn(Text& conversation, const Text& reply) {
  // Appended piece by piece, so that a large reply is not copied into a temporary first.
  conversation += u",{\"role\": \"assistant\", \"content\": \"";
  AppendEscaped(conversation, reply);
  conversation += u"\"},";
}

Text Chat(const ChatArguments& arguments, const HostOptions& options) {
  LibraryState& state = GetLibraryState();
  state.LastError = ChatArgumentsProblem(arguments);
  if (!state.LastError.empty()) return kRequestFailed;
  const bool base_url = IsBaseUrl(arguments.server_address);
  const ProgressWindowScope window(arguments.show_window);

  state.ConversationLog += UserTurn(arguments.prompt);
  const ChatRequestParts parts = ChatRequest(arguments, state.ConversationLog, false, options);

  Exchange exchange(kHttpPost, parts.url, parts.body, parts.headers, ChosenTransfer(options, true),
                    arguments.api_key);
  if (!exchange.Succeeded()) {
    state.ConversationLog.clear();
    state.LastError = exchange.Detail();
    return exchange.Result();
  }
  JsonValue* root = exchange.ReadAnswer();
  // The document holds all that is read from here on: a large answer's bytes go before its
  // reply is copied twice more.
  exchange.Finish();
  // A host address keeps the walk's reply; a base URL reads the reply where OpenAI documents
  // it, which provider extras after "choices" cannot empty, and walks only an answer without it.
  if (!base_url || !ReadDocumentedContent(root, state.ChatReply)) CollectContent(root);
  if (state.ChatReply.empty())
    state.LastError = WithoutKey(ErrorMemberMessage(root), arguments.api_key);
  AppendAssistantTurn(state.ConversationLog, state.ChatReply);
  return state.ChatReply;
}

}  // namespace llmbridge

// The chat exchange: one user turn to a chat-completions server, with the conversation kept in
// LibraryState.ConversationLog between calls.
#pragma once

#include "http/header_map.h"
#include "state/host_options.h"
#include "text/text.h"

namespace llmbridge {

struct ChatArguments {
  Text server_address;  // host or address with its port, between "http://" and the path
  Text api_key;
  Text prompt;
  Text max_tokens;   // read leniently; its low 32 bits are sent
  Text model;        // escaped for the inside of a JSON string, as the prompt is
  Text temperature;  // sent as it is, unquoted
  Text show_window;  // "true" shows the progress window
};

// What goes out for one exchange: the address, the header lines and the body.
struct ChatRequestParts {
  Text url;
  HeaderMap headers;
  Text body;
};

// Why the arguments cannot make a request (a base URL's temperature that is no number), or empty
// when they can. Checked before anything is sent or changed.
Text ChatArgumentsProblem(const ChatArguments& arguments);

// The request of one exchange whose "messages" array holds `messages` (the conversation with the
// new user turn at its end), shaped by the host's `options`. `stream` asks the server to send the
// reply as server-sent events.
ChatRequestParts ChatRequest(const ChatArguments& arguments, const Text& messages, bool stream,
                             const HostOptions& options);

// The conversation's turns: the user turn a prompt adds before the request, and the assistant
// turn a reply adds after a successful answer (with its leading and trailing comma).
Text UserTurn(const Text& prompt);
void AppendAssistantTurn(Text& conversation, const Text& reply);

// Returns the reply, "Request Failed", or "Api Error code: <status>". A failed exchange empties
// the conversation; a "200" answer without content still counts as a turn, with an empty reply.
// `options` are the host's options as they stood when the call began.
Text Chat(const ChatArguments& arguments, const HostOptions& options = HostOptions());

}  // namespace llmbridge

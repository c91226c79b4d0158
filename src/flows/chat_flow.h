// The chat exchange: one user turn to a chat-completions server, with the conversation kept in
// LibraryState.ConversationLog between calls.
#pragma once

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

// Returns the reply, "Request Failed", or "Api Error code: <status>". A failed exchange empties
// the conversation; a "200" answer without content still counts as a turn, with an empty reply.
// `options` are the host's options as they stood when the call began.
Text Chat(const ChatArguments& arguments, const HostOptions& options = HostOptions());

}  // namespace llmbridge

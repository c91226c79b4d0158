// Live exchanges: one turn of the conversation `chat` keeps, sent with "stream": true and read on
// a thread of the library's own while the host goes on, its reply growing as events arrive. The
// exchange's thread parses into a JSON slot and texts of its own; it touches the conversation
// only through SettleLiveChat, which the exports call under their lock.
#pragma once

#include <cstdint>

#include "flows/chat_flow.h"
#include "text/text.h"

namespace llmbridge {

enum class LiveStatus : int32_t {
  kIdle = 0,  // nothing started yet
  kRunning = 1,
  kFinished = 2,   // the whole reply arrived
  kFailed = 3,     // the error text chat would give
  kCancelled = 4,  // the text received before the cancel
};

// The JSON slot the exchange's thread parses events and error answers into; the exports' calls
// use slots 0 and 1.
constexpr int32_t kLiveChatSlot = 2;

// Starts an exchange continuing LibraryState.ConversationLog, which must be settled. Returns 1
// when started, 0 when an exchange is still running (nothing is sent), -1 when it could not start
// (LiveChatFailure says why; the status and the conversation stay as they were). `options` are
// the host's options as they stood when chatstart was called.
int32_t StartLiveChat(const ChatArguments& arguments, const HostOptions& options = HostOptions());

LiveStatus LiveChatStatus();

// The reply received so far while running; the whole reply once finished; the error text once
// failed; the text received before the cancel once cancelled. Empty before the first start.
Text LiveChatText();

// Why the last start (-1) or the last exchange failed, as lasterror says it ("HTTP 401: " and the
// server's message, libcurl's message, "out of memory"); empty after one that went well.
Text LiveChatFailure();

// Ends a running exchange and returns once it has ended. True when it ended cancelled; false when
// none was running or it finished on its own first.
bool CancelLiveChat();

// Returns once no exchange is running.
void WaitForLiveChat();

// Applies what an ended exchange does to the conversation, once: a finished one adds its user
// and assistant turns, a failed one empties it, a cancelled one leaves it alone; LastError then
// holds the exchange's reason. Every export that reads or changes the conversation or the last
// error calls this first.
void SettleLiveChat();

}  // namespace llmbridge

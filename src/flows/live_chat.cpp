#include "flows/live_chat.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "base/never_destroyed.h"
#include "flows/answer_parse.h"
#include "flows/answer_reading.h"
#include "flows/chosen_transfer.h"
#include "flows/exchange.h"
#include "flows/failure_detail.h"
#include "flows/reply_content.h"
#include "flows/response_walkers.h"
#include "flows/server_address.h"
#include "flows/server_message.h"
#include "http/event_stream.h"
#include "http/http_request.h"
#include "http/live_transfer.h"
#include "json/json_navigation.h"
#include "state/library_state.h"

namespace llmbridge {

namespace {

// What the exports see of the exchange, guarded by `lock`. Never destroyed: the exchange's
// thread may still report its end while the process exits.
struct LiveChat {
  std::mutex lock;
  std::condition_variable ended;
  LiveStatus status = LiveStatus::kIdle;
  Text text;
  Text failure;
  Text settled_conversation;  // what the conversation becomes when the ended exchange settles
  bool unsettled = false;
  bool cancel_asked = false;  // a cancel came before the transfer was known
  std::shared_ptr<LiveTransfer> transfer;
};

LiveChat& Live() {
  static NeverDestroyed<LiveChat> live;
  return live.get();
}

// A copy of what the exports see, taken under the lock.
template <typename Value>
Value LockedCopy(Value LiveChat::*what) {
  LiveChat& live = Live();
  const std::lock_guard<std::mutex> guard(live.lock);
  return live.*what;
}

// What only the exchange's thread touches: the event reader and the reply it builds.
struct StreamState {
  bool base_url = false;  // the answer's reply is read where OpenAI documents it
  Text api_key;           // masked in the reasons of failures
  EventStreamReader reader;
  Text reply;
  size_t published = 0;   // how much of `reply` the exports' text holds
  bool replaced = false;  // `reply` was replaced, not only extended, since it was published
  Text error_message;     // the message of an event or answer that reported an error
};

// Parses `utf8`, up to a zero byte, into the exchange's slot; the root, or null.
JsonValue* ParseIntoLiveSlot(std::string_view utf8) {
  return ParseAnswerInto(kLiveChatSlot, std::string(utf8.substr(0, utf8.find('\0'))));
}

// One event: its delta's content extends the reply; a whole message's content (some servers end
// so) replaces it. Reasoning deltas, usage, "[DONE]" and events that are not JSON add nothing.
void ReadEvent(std::string_view data, StreamState& stream) {
  if (data == "[DONE]") return;
  JsonValue* root = ParseIntoLiveSlot(data);
  // Some servers report a refused request as an event of its own, with status 200.
  const Text error = ErrorMemberMessage(root);
  if (!error.empty()) stream.error_message = error;
  JsonValue* choice = ElementOf(MemberOf(root, u"choices"), 0);
  if (JsonValue* delta = MemberOf(choice, u"delta")) {
    JsonValue* content = MemberOf(delta, u"content");
    if (IsKind(content, JsonKind::String)) stream.reply += BorrowString(*content);
    return;
  }
  JsonValue* content = MemberOf(MemberOf(choice, u"message"), u"content");
  if (IsKind(content, JsonKind::String)) {
    stream.reply = BorrowString(*content);
    stream.replaced = true;
  }
}

// The body listener: reads the chunk's events and shows the exports what they added. False, which
// fails the transfer, when there was no room to read them: nothing may throw through libcurl's
// callback.
bool ReadChunk(std::string_view chunk, StreamState& stream) noexcept {
  try {
    stream.reader.Read(chunk, [&](std::string_view data) { ReadEvent(data, stream); });
    if (!stream.replaced && stream.published == stream.reply.size()) return true;
    LiveChat& live = Live();
    const std::lock_guard<std::mutex> guard(live.lock);
    if (stream.replaced)
      live.text = stream.reply;
    else
      live.text.append(stream.reply, stream.published, Text::npos);
    stream.published = stream.reply.size();
    stream.replaced = false;
    return true;
  } catch (...) {
    return false;
  }
}

// The reply of a finished transfer: the events' text, or, from a server that answered one JSON
// document instead of a stream, the content read as chat reads it.
Text FinalReply(HttpRequest& request, StreamState& stream) {
  if (stream.reader.events() > 0) return stream.reply;
  JsonValue* root = ParseIntoLiveSlot(ResponseBodyBytes(request));
  Text reply;
  if (!stream.base_url || !ReadDocumentedContent(root, reply)) reply = ContentOf(root);
  stream.error_message = ErrorMemberMessage(root);
  return reply;
}

// Called on the exchange's thread when the transfer is over. `conversation` is the conversation
// with the exchange's user turn.
void EndExchange(HttpRequest& request, bool cancelled, StreamState& stream,
                 const Text& conversation) {
  LiveStatus status = LiveStatus::kCancelled;
  Text text, failure, settled;
  try {
    if (cancelled) {
      text = stream.reply;
    } else if (AnswerFailed(request, stream.api_key, kLiveChatSlot, text, failure)) {
      status = LiveStatus::kFailed;
    } else {
      status = LiveStatus::kFinished;
      text = FinalReply(request, stream);
      // As chat: an empty reply whose answer held an error gives lasterror its message.
      if (text.empty()) failure = WithoutKey(stream.error_message, stream.api_key);
      settled = conversation;
      AppendAssistantTurn(settled, text);
    }
  } catch (...) {
    status = LiveStatus::kFailed;
    text = kRequestFailed;
    failure = u"out of memory";
    settled.clear();
  }
  LiveChat& live = Live();
  const std::lock_guard<std::mutex> guard(live.lock);
  live.status = status;
  live.text = std::move(text);
  live.failure = std::move(failure);
  live.settled_conversation = std::move(settled);
  live.unsettled = status != LiveStatus::kCancelled;
  live.transfer.reset();
  live.ended.notify_all();
}

}  // namespace

int32_t StartLiveChat(const ChatArguments& arguments, const HostOptions& options) {
  LiveChat& live = Live();
  std::unique_lock<std::mutex> guard(live.lock);
  if (live.status == LiveStatus::kRunning) return 0;
  live.failure = ChatArgumentsProblem(arguments);
  if (!live.failure.empty()) return -1;
  guard.unlock();

  const Text conversation = GetLibraryState().ConversationLog + UserTurn(arguments.prompt);
  const ChatRequestParts parts = ChatRequest(arguments, conversation, true, options);
  HttpRequestPtr request = PrepareHttpRequest(kHttpPost, parts.url, parts.body, kHttpOwnThread,
                                              &parts.headers, ChosenTransfer(options, true));
  if (request == nullptr) {
    guard.lock();
    live.failure = u"out of memory";
    return -1;
  }
  auto stream = std::make_shared<StreamState>();
  stream->base_url = IsBaseUrl(arguments.server_address);
  stream->api_key = arguments.api_key;
  request->BodyListener = [stream](std::string_view chunk) { return ReadChunk(chunk, *stream); };
  LiveTransferEnd on_end = [stream, conversation](HttpRequest& ended, bool cancelled) {
    EndExchange(ended, cancelled, *stream, conversation);
  };

  // Running before the thread starts, so that its end can never be overwritten. Nothing from
  // here to the thread's start throws: a status left running would never end.
  guard.lock();
  const LiveStatus previous_status = live.status;
  Text previous_text = std::move(live.text);
  live.status = LiveStatus::kRunning;
  live.text.clear();
  live.failure.clear();
  live.cancel_asked = false;
  guard.unlock();

  std::shared_ptr<LiveTransfer> transfer = StartLiveTransfer(std::move(request), std::move(on_end));
  guard.lock();
  if (transfer == nullptr) {
    live.status = previous_status;
    live.text = std::move(previous_text);
    live.failure = u"The library could not start a thread for the exchange";
    live.ended.notify_all();  // a cancel that came meanwhile waits for the status to change
    return -1;
  }
  if (live.status == LiveStatus::kRunning) {
    live.transfer = transfer;
    if (live.cancel_asked) transfer->Cancel();
  }
  return 1;
}

LiveStatus LiveChatStatus() { return LockedCopy(&LiveChat::status); }

Text LiveChatText() { return LockedCopy(&LiveChat::text); }

Text LiveChatFailure() { return LockedCopy(&LiveChat::failure); }

bool CancelLiveChat() {
  LiveChat& live = Live();
  std::unique_lock<std::mutex> guard(live.lock);
  if (live.status != LiveStatus::kRunning) return false;
  live.cancel_asked = true;
  if (live.transfer != nullptr) live.transfer->Cancel();
  live.ended.wait(guard, [&] { return live.status != LiveStatus::kRunning; });
  return live.status == LiveStatus::kCancelled;
}

void WaitForLiveChat() {
  LiveChat& live = Live();
  std::unique_lock<std::mutex> guard(live.lock);
  live.ended.wait(guard, [&] { return live.status != LiveStatus::kRunning; });
}

void SettleLiveChat() {
  LiveChat& live = Live();
  const std::lock_guard<std::mutex> guard(live.lock);
  if (!live.unsettled) return;
  LibraryState& state = GetLibraryState();
  state.LastError = live.failure;
  state.ConversationLog = std::move(live.settled_conversation);
  live.settled_conversation.clear();
  live.unsettled = false;
}

}  // namespace llmbridge

// The exported functions. Each converts its arguments, runs its flow and hands back a result
// buffer. Nothing thrown inside may cross into the host, so each body catches everything and
// answers as the flow does when it cannot get a request through. Every body holds the library's
// lock from start to end, so calls from several threads run one after another.
//
// The live calls (chatstart, chatstatus, chatpoll, chatcancel) never wait for that lock behind a
// blocking call: chatstart only tries it, the others read the live exchange's own state.
//
// The narrow exports and their UTF-16 twins (the names ending in W) run the same body on the same
// state; only the host strings differ (api/host_strings.h), so every body below exists once.
#include <mutex>
#include <string>

#include "api/host_strings.h"
#include "api/serialised_call.h"
#include "flows/chat_flow.h"
#include "flows/host_option_setting.h"
#include "flows/image_flow.h"
#include "flows/live_chat.h"
#include "flows/model_list_flow.h"
#include "llmbridge.h"
#include "memory/block_heap.h"
#include "state/host_options.h"
#include "state/library_state.h"
#include "state/spare_memory.h"

using namespace llmbridge;

namespace {

template <typename Strings>
using HostString = const typename Strings::Unit*;

// The result when a flow could not finish (only a failed allocation throws): the given text, or
// null when not even that buffer can be made, as when ToNarrow finds no room.
template <typename Strings>
HostString<Strings> FallbackResult(const char16_t* text) noexcept {
  try {
    return Strings::Result(text);
  } catch (...) {
    return nullptr;
  }
}

// Gives lasterror its reason when a call ends without a result of its flow's making.
void RecordFailure(const char16_t* reason) noexcept {
  try {
    GetLibraryState().LastError = reason;
  } catch (...) {
    GetLibraryState().LastError.clear();  // what cannot be said is better than a stale reason
  }
}

template <typename Strings>
HostString<Strings> ChatBody(HostString<Strings> serverAddress, HostString<Strings> apiKey,
                             HostString<Strings> prompt, HostString<Strings> maxTokens,
                             HostString<Strings> model, HostString<Strings> temperature,
                             HostString<Strings> showWindow) {
  const SerialisedCall serialised;
  const SpareMemoryReleaseOnExit release;
  try {
    // A live exchange runs first to its end, and its turn joins the conversation before this one.
    WaitForLiveChat();
    SettleLiveChat();
    const ChatArguments arguments{Strings::Argument(serverAddress), Strings::Argument(apiKey),
                                  Strings::Argument(prompt),        Strings::Argument(maxTokens),
                                  Strings::Argument(model),         Strings::Argument(temperature),
                                  Strings::Argument(showWindow)};
    const HostString<Strings> reply = Strings::Result(Chat(arguments, SnapshotHostOptions()));
    // A reply the host never received ends the conversation, as any failed exchange does.
    if (reply == nullptr) {
      GetLibraryState().ConversationLog.clear();
      RecordFailure(u"out of memory");
    }
    return reply;
  } catch (...) {
    // A half-made exchange must not leave a user turn without its reply in the conversation.
    GetLibraryState().ConversationLog.clear();
    RecordFailure(u"out of memory");
    return FallbackResult<Strings>(u"Request Failed");
  }
}

template <typename Strings>
HostString<Strings> GetModelsBody(HostString<Strings> serverAddress, HostString<Strings> apiKey) {
  const SerialisedCall serialised;
  const SpareMemoryReleaseOnExit release;
  try {
    return Strings::Result(ListModels(Strings::Argument(serverAddress), Strings::Argument(apiKey),
                                      SnapshotHostOptions()));
  } catch (...) {
    RecordFailure(u"out of memory");
    return FallbackResult<Strings>(GetLibraryState().ModelList.c_str());  // the last list found
  }
}

template <typename Strings>
HostString<Strings> ImagenBody(HostString<Strings> apiKey, HostString<Strings> prompt,
                               HostString<Strings> imageSize, HostString<Strings> showWindow) {
  const SerialisedCall serialised;
  const SpareMemoryReleaseOnExit release;
  try {
    const ImageArguments arguments{Strings::Argument(apiKey), Strings::Argument(prompt),
                                   Strings::Argument(imageSize), Strings::Argument(showWindow)};
    return Strings::Result(GenerateImage(ImageEndpoint(), arguments, SnapshotHostOptions()));
  } catch (...) {
    RecordFailure(u"out of memory");
    return FallbackResult<Strings>(u"Request Failed");
  }
}

// A refused option's reason goes to lasterror, unless another thread's call holds the library:
// setoption never waits behind a transfer, and that call's own outcome is then what lasterror
// reports.
void RecordRefusal(const char16_t* reason) noexcept {
  const std::unique_lock<std::recursive_mutex> lock(ExportLock(), std::try_to_lock);
  if (lock.owns_lock()) RecordFailure(reason);
}

// Runs without the export lock: the options have their own, held only while one is stored.
template <typename Strings>
int SetOptionBody(HostString<Strings> name, HostString<Strings> value) {
  try {
    Text reason;
    if (SetHostOption(Strings::Argument(name), Strings::Argument(value), reason)) return 1;
    RecordRefusal(reason.c_str());
  } catch (...) {
    RecordRefusal(u"out of memory");
  }
  return 0;
}

// A result made from a state text as it stands: the version, or the last failure's reason.
template <typename Strings>
HostString<Strings> StateTextBody(const Text LibraryState::*text) {
  const SerialisedCall serialised;
  try {
    return Strings::Result(GetLibraryState().*text);
  } catch (...) {
    return nullptr;  // only a failed allocation can throw here, as when ToNarrow finds no room
  }
}

// The last failure's reason, a live exchange that ended since the last call included.
template <typename Strings>
HostString<Strings> LastErrorBody() {
  const SerialisedCall serialised;
  try {
    SettleLiveChat();
  } catch (...) {
    RecordFailure(u"out of memory");
  }
  return StateTextBody<Strings>(&LibraryState::LastError);
}

template <typename Strings>
int ChatStartBody(HostString<Strings> serverAddress, HostString<Strings> apiKey,
                  HostString<Strings> prompt, HostString<Strings> maxTokens,
                  HostString<Strings> model, HostString<Strings> temperature) {
  // A blocking call that holds the lock may be changing the conversation: no exchange starts.
  std::unique_lock<std::recursive_mutex> serialised(ExportLock(), std::try_to_lock);
  if (!serialised.owns_lock()) return 0;
  try {
    SettleLiveChat();
    const int32_t started =
        StartLiveChat({Strings::Argument(serverAddress), Strings::Argument(apiKey),
                       Strings::Argument(prompt), Strings::Argument(maxTokens),
                       Strings::Argument(model), Strings::Argument(temperature), u"false"},
                      SnapshotHostOptions());
    if (started == -1) GetLibraryState().LastError = LiveChatFailure();
    return started;
  } catch (...) {
    RecordFailure(u"out of memory");  // only a failed allocation throws: nothing was started
    return -1;
  }
}

// Polls hand out one buffer per width, replaced by the next poll, so that polling for hours
// keeps using the same memory.
template <typename Strings>
HostString<Strings> ChatPollBody() {
  static std::mutex lock;
  static std::basic_string<typename Strings::Unit> buffer;
  try {
    const auto converted = Strings::Converted(LiveChatText());
    const std::lock_guard<std::mutex> guard(lock);
    buffer.assign(converted);  // within its capacity, the same memory again
    return buffer.c_str();
  } catch (...) {
    return nullptr;  // only a failed allocation throws, as when ToNarrow finds no room
  }
}

}  // namespace

extern "C" {

LLMBRIDGE_API const char* LLMBRIDGE_CALL chat(const char* serverAddress, const char* apiKey,
                                              const char* prompt, const char* maxTokens,
                                              const char* model, const char* temperature,
                                              const char* showWindow) {
  return ChatBody<AnsiStrings>(serverAddress, apiKey, prompt, maxTokens, model, temperature,
                               showWindow);
}

LLMBRIDGE_API const char* LLMBRIDGE_CALL getmodels(const char* serverAddress, const char* apiKey) {
  return GetModelsBody<AnsiStrings>(serverAddress, apiKey);
}

LLMBRIDGE_API const char* LLMBRIDGE_CALL imagen(const char* apiKey, const char* prompt,
                                                const char* imageSize, const char* showWindow) {
  return ImagenBody<AnsiStrings>(apiKey, prompt, imageSize, showWindow);
}

LLMBRIDGE_API const char* LLMBRIDGE_CALL checkdllversion(void) {
  return StateTextBody<AnsiStrings>(&LibraryState::VersionText);
}

LLMBRIDGE_API int LLMBRIDGE_CALL FreeMem(void) {
  const SerialisedCall serialised;
  // Returned buffers live until unload; freeing a null block keeps the call harmless.
  FreeBlock(nullptr);
  return 0;
}

LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL
chatW(const llmbridge_wchar* serverAddress, const llmbridge_wchar* apiKey,
      const llmbridge_wchar* prompt, const llmbridge_wchar* maxTokens, const llmbridge_wchar* model,
      const llmbridge_wchar* temperature, const llmbridge_wchar* showWindow) {
  return ChatBody<WideStrings>(serverAddress, apiKey, prompt, maxTokens, model, temperature,
                               showWindow);
}

LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL getmodelsW(const llmbridge_wchar* serverAddress,
                                                               const llmbridge_wchar* apiKey) {
  return GetModelsBody<WideStrings>(serverAddress, apiKey);
}

LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL imagenW(const llmbridge_wchar* apiKey,
                                                            const llmbridge_wchar* prompt,
                                                            const llmbridge_wchar* imageSize,
                                                            const llmbridge_wchar* showWindow) {
  return ImagenBody<WideStrings>(apiKey, prompt, imageSize, showWindow);
}

LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL checkdllversionW(void) {
  return StateTextBody<WideStrings>(&LibraryState::VersionText);
}

LLMBRIDGE_API int LLMBRIDGE_CALL newchat(void) {
  const SerialisedCall serialised;
  const SpareMemoryReleaseOnExit release;
  // A running live exchange belongs to the conversation being dropped: it ends first.
  CancelLiveChat();
  SettleLiveChat();
  // Only the conversation starts over: the model list, the image result and the last reply stay.
  GetLibraryState().ConversationLog.clear();
  return 0;
}

LLMBRIDGE_API const char* LLMBRIDGE_CALL lasterror(void) { return LastErrorBody<AnsiStrings>(); }

LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL lasterrorW(void) {
  return LastErrorBody<WideStrings>();
}

LLMBRIDGE_API int LLMBRIDGE_CALL chatstart(const char* serverAddress, const char* apiKey,
                                           const char* prompt, const char* maxTokens,
                                           const char* model, const char* temperature) {
  return ChatStartBody<AnsiStrings>(serverAddress, apiKey, prompt, maxTokens, model, temperature);
}

LLMBRIDGE_API int LLMBRIDGE_CALL chatstartW(const llmbridge_wchar* serverAddress,
                                            const llmbridge_wchar* apiKey,
                                            const llmbridge_wchar* prompt,
                                            const llmbridge_wchar* maxTokens,
                                            const llmbridge_wchar* model,
                                            const llmbridge_wchar* temperature) {
  return ChatStartBody<WideStrings>(serverAddress, apiKey, prompt, maxTokens, model, temperature);
}

LLMBRIDGE_API int LLMBRIDGE_CALL chatstatus(void) { return static_cast<int>(LiveChatStatus()); }

LLMBRIDGE_API const char* LLMBRIDGE_CALL chatpoll(void) { return ChatPollBody<AnsiStrings>(); }

LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL chatpollW(void) {
  return ChatPollBody<WideStrings>();
}

LLMBRIDGE_API int LLMBRIDGE_CALL chatcancel(void) { return CancelLiveChat() ? 1 : 0; }

LLMBRIDGE_API int LLMBRIDGE_CALL setoption(const char* name, const char* value) {
  return SetOptionBody<AnsiStrings>(name, value);
}

LLMBRIDGE_API int LLMBRIDGE_CALL setoptionW(const llmbridge_wchar* name,
                                            const llmbridge_wchar* value) {
  return SetOptionBody<WideStrings>(name, value);
}

}  // extern "C"

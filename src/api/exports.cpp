// The exported functions. Each converts its arguments, runs its flow and hands back a result
// buffer. Nothing thrown inside may cross into the host, so each body catches everything and
// answers as the flow does when it cannot get a request through.
#include "api/host_strings.h"
#include "api/library_state.h"
#include "api/serialised_call.h"
#include "flows/chat_flow.h"
#include "flows/image_flow.h"
#include "flows/model_list_flow.h"
#include "llmbridge.h"
#include "text/block_heap.h"

using namespace llmbridge;

namespace {

// The result when a flow could not finish (only a failed allocation throws): the given text, or
// null when not even that buffer can be made, as when ToNarrow finds no room.
const char* FallbackResult(const char16_t* text) noexcept {
  try {
    return ReturnText(text);
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

extern "C" {

LLMBRIDGE_API const char* LLMBRIDGE_CALL chat(const char* serverAddress, const char* apiKey,
                                              const char* prompt, const char* maxTokens,
                                              const char* model, const char* temperature,
                                              const char* showWindow) {
  const SerialisedCall serialised;
  try {
    const ChatArguments arguments{ArgumentText(serverAddress), ArgumentText(apiKey),
                                  ArgumentText(prompt),        ArgumentText(maxTokens),
                                  ArgumentText(model),         ArgumentText(temperature),
                                  ArgumentText(showWindow)};
    const char* reply = ReturnText(Chat(arguments));
    // A reply the host never received ends the conversation, as any failed exchange does.
    if (reply == nullptr) GetLibraryState().ConversationLog.clear();
    return reply;
  } catch (...) {
    // A half-made exchange must not leave a user turn without its reply in the conversation.
    GetLibraryState().ConversationLog.clear();
    return FallbackResult(u"Request Failed");
  }
}

LLMBRIDGE_API const char* LLMBRIDGE_CALL getmodels(const char* serverAddress, const char* apiKey) {
  const SerialisedCall serialised;
  try {
    return ReturnText(ListModels(ArgumentText(serverAddress), ArgumentText(apiKey)));
  } catch (...) {
    return FallbackResult(GetLibraryState().ModelList.c_str());  // the last list found
  }
}

LLMBRIDGE_API const char* LLMBRIDGE_CALL imagen(const char* apiKey, const char* prompt,
                                                const char* imageSize, const char* showWindow) {
  const SerialisedCall serialised;
  try {
    const ImageArguments arguments{ArgumentText(apiKey), ArgumentText(prompt),
                                   ArgumentText(imageSize), ArgumentText(showWindow)};
    return ReturnText(GenerateImage(ImageEndpoint(), arguments));
  } catch (...) {
    return FallbackResult(u"Request Failed");
  }
}

LLMBRIDGE_API const char* LLMBRIDGE_CALL checkdllversion(void) {
  const SerialisedCall serialised;
  try {
    return ReturnText(GetLibraryState().VersionText);
  } catch (...) {
    return nullptr;  // only a failed allocation can throw here, as when ToNarrow finds no room
  }
}

LLMBRIDGE_API int LLMBRIDGE_CALL FreeMem(void) {
  const SerialisedCall serialised;
  // Returned buffers live until unload; freeing a null block keeps the call harmless.
  FreeBlock(nullptr);
  return 0;
}

}  // extern "C"

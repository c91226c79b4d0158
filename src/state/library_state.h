// LibraryState: the one process-wide record the exports and request flows share between calls.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace llmbridge {

struct LibraryState {
  Text ConversationLog;    // the request's "messages" array contents, grown turn by turn
  Text ChatReply;          // the reply found in the last chat answer
  Text ModelList;          // ids of the last listing that found one, separated by CR
  int32_t ModelCount = 0;  // 0 until the current listing has found its first id
  Text ImageResult;        // the last string found in an image answer
  Text LastError;          // why the last chat, listing or image call failed; else empty
  const void* ReturnBuffer = nullptr;  // the last buffer handed to the host; never freed by us
  Text VersionText;                    // set last during start-up
  // The progress window and its two labels as the platform identifies them (null when absent or
  // when the platform draws the lines itself). Recorded when opened, never read by the library.
  void* ProgressWindow = nullptr;
  void* ProgressFirstLabel = nullptr;
  void* ProgressSecondLabel = nullptr;
};

// The state lives from load to unload and is never reset as a whole.
LibraryState& GetLibraryState();

}  // namespace llmbridge

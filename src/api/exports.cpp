// The exported functions. Each converts its arguments, runs its flow and hands back a result
// buffer; nothing thrown inside may cross into the host, so each body catches everything.
#include "llmbridge.h"

#include "api/host_strings.h"
#include "api/library_state.h"
#include "text/block_heap.h"

using namespace llmbridge;

extern "C" {

LLMBRIDGE_API const char* LLMBRIDGE_CALL checkdllversion(void) {
  try {
    return ReturnText(GetLibraryState().VersionText);
  } catch (...) {
    return nullptr;  // only a failed allocation can throw here, as when ToNarrow finds no room
  }
}

LLMBRIDGE_API int LLMBRIDGE_CALL FreeMem(void) {
  // Returned buffers live until unload; freeing a null block keeps the call harmless.
  FreeBlock(nullptr);
  return 0;
}

}  // extern "C"

#include "api/host_strings.h"

#include "state/library_state.h"
#include "text/narrow_text.h"

namespace llmbridge {

Text ArgumentText(const char* argument) { return FromNarrow(argument, -1, NarrowEncoding::Ansi); }

const char* ReturnText(const Text& result) {
  const char* buffer = ToNarrow(result);
  GetLibraryState().ReturnBuffer = buffer;
  return buffer;
}

}  // namespace llmbridge

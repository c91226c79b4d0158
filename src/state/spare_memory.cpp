#include "state/spare_memory.h"

#include "base/freed_memory.h"

namespace llmbridge {

namespace {

// Spare room below this is kept: texts that grow call by call would otherwise be copied each time.
constexpr size_t kKeptSpareUnits = size_t{1} << 16;

void ShrinkWhenMostlySpare(Text& text) {
  const size_t spare = text.capacity() - text.size();
  if (spare > kKeptSpareUnits && spare > text.size()) Text(text).swap(text);
}

}  // namespace

void ReleaseSpareMemory(LibraryState& state) noexcept {
  try {
    for (Text* text : {&state.ConversationLog, &state.ChatReply, &state.ModelList,
                       &state.ImageResult, &state.LastError})
      ShrinkWhenMostlySpare(*text);
  } catch (...) {
    // No room for a smaller copy: the text keeps its larger block, which is no loss.
  }
  ReturnFreedMemory();
}

}  // namespace llmbridge

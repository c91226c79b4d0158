#include "state/library_state.h"

namespace llmbridge {

LibraryState& GetLibraryState() {
  static LibraryState state;
  return state;
}

}  // namespace llmbridge

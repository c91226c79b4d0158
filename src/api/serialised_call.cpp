#include "api/serialised_call.h"

namespace llmbridge {

std::recursive_mutex& ExportLock() {
  // Initialised before any code runs (the mutex has a constant initialiser), so it is ready for
  // the first call whichever thread makes it.
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace llmbridge

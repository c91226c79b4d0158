// The progress window's lifetime around one chat or image request.
#pragma once

#include "text/text.h"

namespace llmbridge {

// Shows the progress window while it lives, when `show` is exactly "true", and records what it
// made in LibraryState; closes all of the library's windows when it ends, on every path, whether
// or not one was opened.
class ProgressWindowScope {
 public:
  explicit ProgressWindowScope(const Text& show);
  ~ProgressWindowScope();
  ProgressWindowScope(const ProgressWindowScope&) = delete;
  ProgressWindowScope& operator=(const ProgressWindowScope&) = delete;
};

}  // namespace llmbridge

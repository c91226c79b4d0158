// How strings cross the host boundary: arguments in, results out.
#pragma once

#include "text/text.h"

namespace llmbridge {

// Reads a host argument (ANSI code page, NUL-terminated); a null pointer reads as empty.
Text ArgumentText(const char* argument);

// Hands `result` to the host: a new BlockHeap buffer in the ANSI code page, remembered in
// LibraryState.ReturnBuffer and never freed before unload. Null when no buffer could be made.
const char* ReturnText(const Text& result);

}  // namespace llmbridge

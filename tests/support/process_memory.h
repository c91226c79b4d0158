// How much memory the test process holds, as the system counts it.
#pragma once

#include <cstdint>

namespace llmbridge::testing {

// Linux: the resident set. Windows: the committed private bytes, which an emulator running the
// program does not inflate.
int64_t ProcessMemoryBytes();

}  // namespace llmbridge::testing

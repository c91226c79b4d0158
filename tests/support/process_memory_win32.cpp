#include <windows.h>
// psapi.h after windows.h, which it needs.
#include <psapi.h>

#include "support/process_memory.h"

namespace llmbridge::testing {

int64_t ProcessMemoryBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return static_cast<int64_t>(counters.PrivateUsage);
}

}  // namespace llmbridge::testing

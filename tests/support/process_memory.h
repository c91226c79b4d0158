// How much memory the test process holds, as the system counts it.
#pragma once

#include <cstdint>

namespace llmbridge::testing {

// Linux: the resident set. Windows: the committed private bytes, which an emulator running the
// program does not inflate.
int64_t ProcessMemoryBytes();

// The sanitizers' allocators hold freed memory back (in quarantine, in their own caches), so the
// system's figures tell nothing about what the library gave back.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kAllocatorHoldsFreedMemory = true;
#else
constexpr bool kAllocatorHoldsFreedMemory = false;
#endif

}  // namespace llmbridge::testing

// Handing freed memory back to the operating system.
#pragma once

namespace llmbridge {

// Returns the C runtime heap's free pages to the system. glibc keeps what a large answer freed
// for the life of the process otherwise, because its threshold for giving pages back rises with
// every large block freed.
void ReturnFreedMemory();

}  // namespace llmbridge

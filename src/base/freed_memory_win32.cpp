#include <malloc.h>

#include "base/freed_memory.h"

namespace llmbridge {

// The Windows heaps release large blocks when they are freed; _heapmin gives back what the C
// runtime's heap holds free beyond that.
void ReturnFreedMemory() { _heapmin(); }

}  // namespace llmbridge

#include <malloc.h>

#include "base/freed_memory.h"

namespace llmbridge {

void ReturnFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace llmbridge

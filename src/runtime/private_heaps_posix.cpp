// Outside Windows the runtime's records and texts come from the C++ allocator: there is no
// private heap to create, so these steps are empty.
#include "runtime/private_heaps.h"

namespace llmbridge {

void CreateProgramHeap() {}
void DestroyProgramHeap() {}
void CreateTextStorage() {}
void DestroyTextStorage() {}
bool ProgramHeapExists() { return false; }
bool TextStorageExists() { return false; }

}  // namespace llmbridge

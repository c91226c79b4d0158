#include "runtime/library_lifecycle.h"

#include "api/library_state.h"
#include "text/block_heap.h"

namespace llmbridge {

void StartLibrary() {
  CreateBlockHeap();
  GetLibraryState().VersionText = u"1.11";  // last: the library is ready once this is set
}

void StopLibrary() { DestroyBlockHeap(); }

}  // namespace llmbridge

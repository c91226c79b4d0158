// Outside Windows there is no taskbar or OLE: these steps are empty.
#include "runtime/shell_layers.h"

namespace llmbridge {

void RegisterTaskbarMessage() {}
void InitOle() {}
void ShutdownOle() {}

}  // namespace llmbridge

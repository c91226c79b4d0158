// Outside Windows there is no notification area, menu bar or OLE: these steps are empty.
#include "runtime/shell_layers.h"

namespace llmbridge {

void InitTrayIcons() {}
void InitMenus() {}
void InitOle() {}
void ShutdownOle() {}
void ReleaseAllTrayIcons() {}
uint32_t TaskbarCreatedMessage() { return 0; }

}  // namespace llmbridge

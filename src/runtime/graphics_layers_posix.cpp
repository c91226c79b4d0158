// Outside Windows there is no display context to ask and no msimg32.dll: these steps are empty.
#include "runtime/graphics_layers.h"

namespace llmbridge {

void QueryScreenResolution() {}
void InitAlphaBlending() {}
void ReleaseAlphaBlending() {}

}  // namespace llmbridge

// The X11 control layer: nothing to make, since the notice draws its lines with its own font and
// there are no common controls.
#include "ui/window_layer.h"

namespace llmbridge {

void InitControlLayer() {}

}  // namespace llmbridge

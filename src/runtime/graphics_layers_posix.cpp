// Outside Windows there are no GDI fonts, images or msimg32.dll to manage: these steps are
// empty, and the screen is taken to have the usual 96 dots per inch.
#include "runtime/graphics_layers.h"

namespace llmbridge {

void InitFontLayer() {}
void InitDrawingLayer() {}
void InitImageRegistry() {}
void InitAlphaBlending() {}
void ReleaseAlphaBlending() {}
void ReleaseAllImages() {}
void ReleaseAllFonts() {}
int32_t ScreenVerticalResolution() { return 96; }
bool AlphaBlendAvailable() { return false; }

}  // namespace llmbridge

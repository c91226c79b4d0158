// What loading the library does for drawing, though no export draws anything: it asks the display
// for its vertical resolution and keeps msimg32.dll, with its AlphaBlend, loaded until unload.
#pragma once

namespace llmbridge {

void QueryScreenResolution();  // a display device context, made, asked and deleted
void InitAlphaBlending();      // loads msimg32.dll and looks up "AlphaBlend"
void ReleaseAlphaBlending();   // frees msimg32.dll

}  // namespace llmbridge

// Start-up and shutdown of the window layer that the progress window is built on.
#pragma once

namespace llmbridge {

void InitWindowLayer();      // the open-window list and the class defaults
void InitControlLayer();     // the font of the labels and the common controls
void ShutdownWindowLayer();  // closes every window still open, then drops the class defaults

}  // namespace llmbridge

// The runtime's graphics layers: fonts, vector drawing, images and their codecs, and alpha
// blending. No export draws anything; they are started and released with the library.
#pragma once

#include <cstdint>

namespace llmbridge {

void InitFontLayer();     // font registry; the screen's vertical resolution
void InitDrawingLayer();  // the drawing state
void InitImageLayer();    // no decoders yet; the image state
void InitImageCodecs();   // BMP decoder and encoder
void InitImageRegistry();
void InitAlphaBlending();  // msimg32.dll and its AlphaBlend

void ReleaseAlphaBlending();
void ReleaseAllImages();
void ReleaseAllFonts();

// Dots per inch of the display vertically; 96 when no display context could be made.
int32_t ScreenVerticalResolution();

// How many image decoders and encoders know a format tag such as "BMP".
int32_t ImageDecoderCount();
bool HasImageDecoder(const char* format_tag);
bool HasImageEncoder(const char* format_tag);

// Whether AlphaBlend was found (never, where the platform has no msimg32.dll).
bool AlphaBlendAvailable();

}  // namespace llmbridge

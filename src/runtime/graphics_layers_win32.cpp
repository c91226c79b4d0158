// The graphics layers on Windows: GDI fonts and images, and AlphaBlend from msimg32.dll.
#include <windows.h>

#include <vector>

#include "base/handle_registry.h"
#include "runtime/graphics_layers.h"

namespace llmbridge {

namespace {

constexpr int32_t kDefaultVerticalResolution = 96;

// The state vector drawing starts from: black lines one pixel wide.
struct DrawingState {
  COLORREF colour = RGB(0, 0, 0);
  int32_t line_width = 1;
};

// An image is a list of frames, each a bitmap or an icon.
struct Image {
  std::vector<HANDLE> frames;
};

void DeleteFont(HFONT& font) { DeleteObject(font); }

void DeleteFrames(Image& image) {
  for (HANDLE frame : image.frames) {
    if (GetObjectType(frame) == OBJ_BITMAP) {
      DeleteObject(frame);
    } else {
      DestroyIcon(static_cast<HICON>(frame));
    }
  }
}

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                         BLENDFUNCTION);

HandleRegistry<HFONT> g_fonts(DeleteFont);
HandleRegistry<Image> g_images(DeleteFrames);
int32_t g_vertical_resolution = kDefaultVerticalResolution;
DrawingState g_drawing;
HMODULE g_msimg32 = nullptr;
AlphaBlendFunction g_alpha_blend = nullptr;

}  // namespace

void InitFontLayer() {
  g_vertical_resolution = kDefaultVerticalResolution;
  HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
  if (display != nullptr) {
    g_vertical_resolution = GetDeviceCaps(display, LOGPIXELSY);
    DeleteDC(display);
  }
}

void InitDrawingLayer() { g_drawing = DrawingState{}; }

void InitImageRegistry() {}  // the registry exists from load; nothing is in it yet

void InitAlphaBlending() {
  g_msimg32 = LoadLibraryW(L"msimg32.dll");
  if (g_msimg32 != nullptr) {
    g_alpha_blend = reinterpret_cast<AlphaBlendFunction>(
        reinterpret_cast<void*>(GetProcAddress(g_msimg32, "AlphaBlend")));
  }
}

void ReleaseAlphaBlending() {
  g_alpha_blend = nullptr;
  if (g_msimg32 != nullptr) FreeLibrary(g_msimg32);
  g_msimg32 = nullptr;
}

void ReleaseAllImages() { g_images.ReleaseAll(); }

void ReleaseAllFonts() { g_fonts.ReleaseAll(); }

int32_t ScreenVerticalResolution() { return g_vertical_resolution; }

bool AlphaBlendAvailable() { return g_alpha_blend != nullptr; }

}  // namespace llmbridge

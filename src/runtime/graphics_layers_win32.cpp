#include <windows.h>

#include "runtime/graphics_layers.h"

namespace llmbridge {

namespace {
HMODULE g_msimg32 = nullptr;
}  // namespace

// The answer is not kept: nothing in the library lays out text by it.
void QueryScreenResolution() {
  HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
  if (display == nullptr) return;
  GetDeviceCaps(display, LOGPIXELSY);
  DeleteDC(display);
}

// The address is looked up as the load-time sequence always has, and not kept: nothing blends.
void InitAlphaBlending() {
  g_msimg32 = LoadLibraryW(L"msimg32.dll");
  if (g_msimg32 != nullptr) GetProcAddress(g_msimg32, "AlphaBlend");
}

void ReleaseAlphaBlending() {
  if (g_msimg32 != nullptr) FreeLibrary(g_msimg32);
  g_msimg32 = nullptr;
}

}  // namespace llmbridge

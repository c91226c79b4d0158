// The window classes of the window layer: one per open window, named after its number.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace llmbridge {

std::wstring WindowClassName(int32_t number);  // "WindowClass_<number>"

// Registers the class with the layer's window procedure. Failure (the name is still registered)
// is not reported: the window is then created with the class already there.
void RegisterWindowClass(int32_t number);
void UnregisterWindowClass(int32_t number);

// The font every label gets; the stock GUI font until InitControlLayer finds the message font.
HFONT ControlFont();

}  // namespace llmbridge

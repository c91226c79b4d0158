// The window classes of the window layer: one per open window, named after its number.
#pragma once

#include <windows.h>

#include <cstdint>

namespace llmbridge {

// "WindowClass_<number>", in a buffer of its own: naming a class never allocates, so closing a
// window (from destructors, on every path) cannot fail for want of memory.
class WindowClassName {
 public:
  explicit WindowClassName(int32_t number);
  const wchar_t* c_str() const { return text_; }

 private:
  wchar_t text_[32];  // the prefix and at most 11 characters of a 32-bit number
};

// Registers the class with the layer's window procedure. Failure (the name is still registered)
// is not reported: the window is then created with the class already there.
void RegisterWindowClass(int32_t number);
void UnregisterWindowClass(int32_t number);

// The font every label gets; the stock GUI font until InitControlLayer finds the message font.
HFONT ControlFont();

}  // namespace llmbridge

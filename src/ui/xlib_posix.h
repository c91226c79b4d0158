// Xlib, loaded at run time: the library must load and work on machines without libX11, and it
// only needs it when a progress window is asked for.
#pragma once

#include <X11/Xlib.h>

namespace llmbridge {

// The few Xlib entry points the progress notice uses.
struct XlibFunctions {
  decltype(&::XOpenDisplay) open_display;
  decltype(&::XCloseDisplay) close_display;
  decltype(&::XDefaultScreen) default_screen;
  decltype(&::XDisplayWidth) display_width;
  decltype(&::XDisplayHeight) display_height;
  decltype(&::XRootWindow) root_window;
  decltype(&::XDefaultColormap) default_colormap;
  decltype(&::XAllocColor) alloc_color;
  decltype(&::XCreateWindow) create_window;
  decltype(&::XMapRaised) map_raised;
  decltype(&::XCreateGC) create_gc;
  decltype(&::XFreeGC) free_gc;
  decltype(&::XSetForeground) set_foreground;
  decltype(&::XLoadQueryFont) load_query_font;
  decltype(&::XFreeFont) free_font;
  decltype(&::XSetFont) set_font;
  decltype(&::XTextWidth) text_width;
  decltype(&::XDrawString) draw_string;
  decltype(&::XSync) sync;
};

// Loads libX11.so.6 on first use. Null when it is missing or lacks one of the functions.
const XlibFunctions* LoadXlib();

// Unloads it again; called at shutdown, when no display connection is left open.
void UnloadXlib();

}  // namespace llmbridge

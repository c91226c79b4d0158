#include "ui/xlib_posix.h"

#include <dlfcn.h>

namespace llmbridge {

namespace {

void* g_library = nullptr;
XlibFunctions g_functions{};

template <typename Function>
bool Resolve(Function& slot, const char* name) {
  slot = reinterpret_cast<Function>(dlsym(g_library, name));
  return slot != nullptr;
}

bool ResolveAll() {
  XlibFunctions& f = g_functions;
  return Resolve(f.open_display, "XOpenDisplay") && Resolve(f.close_display, "XCloseDisplay") &&
         Resolve(f.default_screen, "XDefaultScreen") && Resolve(f.display_width, "XDisplayWidth") &&
         Resolve(f.display_height, "XDisplayHeight") && Resolve(f.root_window, "XRootWindow") &&
         Resolve(f.default_colormap, "XDefaultColormap") && Resolve(f.alloc_color, "XAllocColor") &&
         Resolve(f.create_window, "XCreateWindow") && Resolve(f.map_raised, "XMapRaised") &&
         Resolve(f.create_gc, "XCreateGC") && Resolve(f.free_gc, "XFreeGC") &&
         Resolve(f.set_foreground, "XSetForeground") &&
         Resolve(f.load_query_font, "XLoadQueryFont") && Resolve(f.free_font, "XFreeFont") &&
         Resolve(f.set_font, "XSetFont") && Resolve(f.text_width, "XTextWidth") &&
         Resolve(f.draw_string, "XDrawString") && Resolve(f.sync, "XSync");
}

}  // namespace

const XlibFunctions* LoadXlib() {
  if (g_library == nullptr) {
    g_library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (g_library == nullptr) return nullptr;
    if (!ResolveAll()) {
      UnloadXlib();
      return nullptr;
    }
  }
  return &g_functions;
}

void UnloadXlib() {
  if (g_library != nullptr) dlclose(g_library);
  g_library = nullptr;
  g_functions = {};
}

}  // namespace llmbridge

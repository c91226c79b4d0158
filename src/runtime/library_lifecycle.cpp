#include "runtime/library_lifecycle.h"

#include "base/build_facts.h"
#include "http/http_settings.h"
#include "http/network.h"
#include "json/json_memory.h"
#include "json/json_slots.h"
#include "memory/block_heap.h"
#include "runtime/event_layer.h"
#include "runtime/graphics_layers.h"
#include "runtime/library_locale.h"
#include "runtime/private_heaps.h"
#include "runtime/shell_layers.h"
#include "state/library_state.h"
#include "ui/window_layer.h"

namespace llmbridge {

namespace {

// Each step is the system calls it makes, in the order loading has always made them. No step
// checks an earlier one or reports failure: a layer that could not start leaves its features
// unavailable and the library loads all the same.
void StartLayers() {
  CreateProgramHeap();
  CreateLibraryLocale();
  CreateTextStorage();
  CreateBlockHeap();
  InitEventLayer();
  QueryScreenResolution();
  InitAlphaBlending();
  RegisterTaskbarMessage();
  InitWindowLayer();
  InitOle();
  InitControlLayer();
  StartNetwork();
  InitHttpSettings();
  InitJsonSlots();
  GetLibraryState().VersionText = kVersionText;  // last: the library is ready once this is set
}

}  // namespace

void StartLibrary() noexcept {
  // Nothing may be thrown into the loader. Only a failed allocation can throw here; the library
  // then loads without the layers not yet started, as when a layer cannot start, and the exports
  // answer as they do when out of memory.
  try {
    StartLayers();
  } catch (...) {
  }
}

// The controls' font stays until the process ends.
void StopLibrary() noexcept {
  FreeAllJson();
  ReleaseKeptJsonBlocks();
  StopNetwork();
  ShutdownOle();
  ShutdownWindowLayer();
  ReleaseAlphaBlending();
  ShutdownEventLayer();
  DestroyBlockHeap();
  DestroyTextStorage();
  DestroyProgramHeap();
}

// When the process is ending, its other threads are already gone, perhaps inside OLE, user32,
// Winsock or libcurl holding their locks: calling into them can hang or crash. The system takes
// back everything the process held, so doing nothing is both safe and complete.
void DetachLibrary(bool process_ending) noexcept {
  if (!process_ending) StopLibrary();
}

}  // namespace llmbridge

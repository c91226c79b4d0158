// Start-up and shutdown of the shared library, run by the dynamic loader as Windows runs DllMain.
#include "http/live_transfer.h"
#include "runtime/library_lifecycle.h"

namespace {

__attribute__((constructor)) void OnLoad() { llmbridge::StartLibrary(); }

// A library that ran a live exchange is never unloaded before the process exits (its threads
// cannot drop the last reference to it): this runs at exit, or at dlclose when no exchange ever
// ran. A transfer still running is cancelled first, which takes a few milliseconds.
__attribute__((destructor)) void OnUnload() {
  llmbridge::EndLiveTransfers();
  llmbridge::StopLibrary();
}

}  // namespace

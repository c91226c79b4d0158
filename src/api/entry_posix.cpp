// Start-up and shutdown of the shared library, run by the dynamic loader as Windows runs DllMain.
#include "runtime/library_lifecycle.h"

namespace {

__attribute__((constructor)) void OnLoad() { llmbridge::StartLibrary(); }

__attribute__((destructor)) void OnUnload() { llmbridge::StopLibrary(); }

}  // namespace

// What loading and unloading the library does, in a fixed order.
#pragma once

namespace llmbridge {

// Runs on process attach (Windows) or from the shared library's constructor (elsewhere), before
// any export can be called.
void StartLibrary();

// Runs on process detach or from the shared library's destructor. Every buffer ever returned to
// the host becomes invalid here.
void StopLibrary();

}  // namespace llmbridge

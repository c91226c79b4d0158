// What loading and unloading the library does, in a fixed order.
//
// Besides what the exports use, loading makes system calls for features that nothing calls: a
// library that draws nothing still makes them because it reproduces the original library's
// load-time behaviour, which hosts may observe (the PostEventClass window class and its window,
// the registered messages, the thread's OLE state, msimg32.dll loaded).
#pragma once

namespace llmbridge {

// Runs on process attach (Windows) or from the shared library's constructor (elsewhere), before
// any export can be called. Never throws: a step short of memory ends start-up there, and the
// features of the steps after it stay unavailable.
void StartLibrary() noexcept;

// Runs on process detach or from the shared library's destructor. Every buffer ever returned to
// the host becomes invalid here.
void StopLibrary() noexcept;

// The entry function's process detach: the full shutdown when the library is unloaded, nothing
// when the whole process is ending.
void DetachLibrary(bool process_ending) noexcept;

}  // namespace llmbridge

// Threads of the library's own: each keeps the library loaded until it ends, so a host that
// unloads the library meanwhile does not pull the code from under it.
#pragma once

#include <cstddef>

namespace llmbridge {

// Room for the deepest walk the JSON parser allows (a thousand levels overflow 64 KiB) with
// libcurl's own frames on top.
constexpr size_t kLibraryThreadStackBytes = 4 * 1024 * 1024;

// Runs work(argument) on a new detached thread with a stack of kLibraryThreadStackBytes. The
// thread holds a reference to the library's module while it runs: on Windows it ends with
// FreeLibraryAndExitThread, so an unload asked for meanwhile takes effect when it ends; on other
// systems the library is pinned in memory once such a thread has run (dlclose then unloads
// nothing). False, with nothing run, when the thread cannot be made.
bool StartLibraryThread(void (*work)(void*), void* argument);

}  // namespace llmbridge

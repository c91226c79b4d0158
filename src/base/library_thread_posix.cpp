#include <dlfcn.h>
#include <pthread.h>

#include <new>

#include "base/library_thread.h"

namespace llmbridge {

namespace {

struct ThreadStart {
  void (*work)(void*);
  void* argument;
};

void* RunLibraryThread(void* start_pointer) {
  const ThreadStart start = *static_cast<ThreadStart*>(start_pointer);
  delete static_cast<ThreadStart*>(start_pointer);
  start.work(start.argument);
  return nullptr;
}

// A thread cannot drop the last reference to the library it runs in and return into it, and
// the loader gives no FreeLibraryAndExitThread: the library marks itself never to be unloaded
// instead. Its destructor then runs at process exit only.
void PinLibrary() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&PinLibrary), &info) == 0 || info.dli_fname == nullptr) return;
  // RTLD_NOLOAD: only the module already loaded is marked; its reference count is given back.
  if (void* self = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(self);
}

}  // namespace

bool StartLibraryThread(void (*work)(void*), void* argument) {
  PinLibrary();
  auto* start = new (std::nothrow) ThreadStart{work, argument};
  if (start == nullptr) return false;
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) {
    delete start;
    return false;
  }
  pthread_attr_setstacksize(&attributes, kLibraryThreadStackBytes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  const bool started = pthread_create(&thread, &attributes, RunLibraryThread, start) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) delete start;
  return started;
}

}  // namespace llmbridge

#include <dlfcn.h>
#include <unistd.h>

#include "library_exports.h"

namespace llmbridge::host {

LoadedLibrary::LoadedLibrary(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) error_ = dlerror();
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* LoadedLibrary::Find(const char* name) const { return dlsym(handle_, name); }

// Beside the program in a build tree; in an installed tree, in the library folder next to bin/.
std::string DefaultLibraryPath() {
  char program[4096];
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  std::string folder = length > 0 ? std::string(program, static_cast<size_t>(length)) : "./program";
  folder.erase(folder.rfind('/') + 1);
  const std::string beside = folder + "libllmbridge.so";
  if (access(beside.c_str(), F_OK) == 0) return beside;
  return folder + LLMBRIDGE_LIBRARY_DIR_FROM_PROGRAMS "/libllmbridge.so";
}

}  // namespace llmbridge::host

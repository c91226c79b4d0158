#include <windows.h>

#include "library_exports.h"

namespace llmbridge::host {

LoadedLibrary::LoadedLibrary(const std::string& path) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide_path(static_cast<size_t>(size > 0 ? size : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide_path.data(), size);
  handle_ = reinterpret_cast<void*>(LoadLibraryW(wide_path.c_str()));
  if (handle_ == nullptr)
    error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedLibrary::Find(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

// The loader looks beside the program first.
std::string DefaultLibraryPath() { return "llmbridge.dll"; }

}  // namespace llmbridge::host

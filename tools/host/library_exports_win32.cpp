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

// The full path beside the program, where the loader looks first, so a caller can also copy or
// inspect the file; the name alone (the loader's search) when the library is not there.
std::string DefaultLibraryPath() {
  wchar_t program[4096];
  const DWORD length = GetModuleFileNameW(nullptr, program, sizeof program / sizeof program[0]);
  std::wstring beside(program, length < sizeof program / sizeof program[0] ? length : 0);
  beside.erase(beside.find_last_of(L"\\/") + 1);
  beside += L"llmbridge.dll";
  if (GetFileAttributesW(beside.c_str()) == INVALID_FILE_ATTRIBUTES) return "llmbridge.dll";
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, beside.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "llmbridge.dll";
  std::string path(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, beside.c_str(), -1, path.data(), size, nullptr, nullptr);
  path.resize(path.size() - 1);  // the terminating zero
  return path;
}

}  // namespace llmbridge::host

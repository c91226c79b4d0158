// The library as a host sees it: loaded at run time, its exports taken by their plain names and
// called through pointers of the declared calling convention.
#pragma once

#include <string>

#include "llmbridge.h"

namespace llmbridge::host {

using ChatFunction = const char*(LLMBRIDGE_CALL*)(const char*, const char*, const char*,
                                                  const char*, const char*, const char*,
                                                  const char*);
using GetModelsFunction = const char*(LLMBRIDGE_CALL*)(const char*, const char*);
using ImagenFunction = const char*(LLMBRIDGE_CALL*)(const char*, const char*, const char*,
                                                    const char*);
using VersionFunction = const char*(LLMBRIDGE_CALL*)(void);
using FreeMemFunction = int(LLMBRIDGE_CALL*)(void);
using WideText = const llmbridge_wchar*;
using ChatWFunction = WideText(LLMBRIDGE_CALL*)(WideText, WideText, WideText, WideText, WideText,
                                                WideText, WideText);
using GetModelsWFunction = WideText(LLMBRIDGE_CALL*)(WideText, WideText);
using ImagenWFunction = WideText(LLMBRIDGE_CALL*)(WideText, WideText, WideText, WideText);
using VersionWFunction = WideText(LLMBRIDGE_CALL*)(void);
using NewChatFunction = int(LLMBRIDGE_CALL*)(void);
using LastErrorFunction = const char*(LLMBRIDGE_CALL*)(void);
using LastErrorWFunction = WideText(LLMBRIDGE_CALL*)(void);
using ChatStartFunction = int(LLMBRIDGE_CALL*)(const char*, const char*, const char*, const char*,
                                               const char*, const char*);
using ChatStartWFunction = int(LLMBRIDGE_CALL*)(WideText, WideText, WideText, WideText, WideText,
                                                WideText);
using ChatStatusFunction = int(LLMBRIDGE_CALL*)(void);
using ChatPollFunction = const char*(LLMBRIDGE_CALL*)(void);
using ChatPollWFunction = WideText(LLMBRIDGE_CALL*)(void);
using ChatCancelFunction = int(LLMBRIDGE_CALL*)(void);
using SetOptionFunction = int(LLMBRIDGE_CALL*)(const char*, const char*);
using SetOptionWFunction = int(LLMBRIDGE_CALL*)(WideText, WideText);

struct LibraryExports {
  ChatFunction chat = nullptr;
  GetModelsFunction getmodels = nullptr;
  ImagenFunction imagen = nullptr;
  VersionFunction checkdllversion = nullptr;
  FreeMemFunction FreeMem = nullptr;
  ChatWFunction chatW = nullptr;
  GetModelsWFunction getmodelsW = nullptr;
  ImagenWFunction imagenW = nullptr;
  VersionWFunction checkdllversionW = nullptr;
  NewChatFunction newchat = nullptr;
  LastErrorFunction lasterror = nullptr;
  LastErrorWFunction lasterrorW = nullptr;
  ChatStartFunction chatstart = nullptr;
  ChatStartWFunction chatstartW = nullptr;
  ChatStatusFunction chatstatus = nullptr;
  ChatPollFunction chatpoll = nullptr;
  ChatPollWFunction chatpollW = nullptr;
  ChatCancelFunction chatcancel = nullptr;
  SetOptionFunction setoption = nullptr;
  SetOptionWFunction setoptionW = nullptr;
};

// A loaded copy of the library, unloaded when this ends.
class LoadedLibrary {
 public:
  // Loads the library file at `path` (UTF-8); check loaded() and error() afterwards.
  explicit LoadedLibrary(const std::string& path);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  const std::string& error() const { return error_; }

  // The address of export `name`, or null.
  void* Find(const char* name) const;
  // Every export; false (with error() set) when one is missing.
  bool Bind(LibraryExports& exports);

 private:
  void* handle_ = nullptr;
  std::string error_;
};

// Where a host finds the library by default: beside the running program.
std::string DefaultLibraryPath();

}  // namespace llmbridge::host

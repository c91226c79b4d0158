// How strings cross the host boundary, arguments in and results out. The two kinds of host
// string share every export body: each body is written once over one of these.
#pragma once

#include <string>

#include "llmbridge.h"
#include "text/text.h"

namespace llmbridge {

// Narrow strings in the process's ANSI code page: the five original exports.
struct AnsiStrings {
  using Unit = char;
  // Reads a host argument (NUL-terminated); a null pointer reads as empty.
  static Text Argument(const char* argument);
  // Hands `result` to the host: a new BlockHeap buffer in the ANSI code page, remembered in
  // LibraryState.ReturnBuffer and never freed before unload. Null when no buffer could be made.
  static const char* Result(const Text& result);
  // `result` as the host reads it, in a string of the caller's, not the BlockHeap.
  static std::string Converted(const Text& result);
};

// UTF-16 strings: the exports whose names end in W. Nothing is lost either way.
struct WideStrings {
  using Unit = llmbridge_wchar;
  // Reads a host argument (NUL-terminated); a null pointer reads as empty and unpaired
  // surrogates become U+FFFD.
  static Text Argument(const llmbridge_wchar* argument);
  // As AnsiStrings::Result, with the text copied unchanged into a NUL-terminated UTF-16 buffer.
  static const llmbridge_wchar* Result(const Text& result);
  static std::basic_string<llmbridge_wchar> Converted(const Text& result);
};

}  // namespace llmbridge

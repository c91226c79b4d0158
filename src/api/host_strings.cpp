#include "api/host_strings.h"

#include "state/library_state.h"
#include "text/narrow_text.h"
#include "text/wide_text.h"

namespace llmbridge {

Text AnsiStrings::Argument(const char* argument) {
  return FromNarrow(argument, -1, NarrowEncoding::Ansi);
}

const char* AnsiStrings::Result(const Text& result) {
  const char* buffer = ToNarrow(result);
  GetLibraryState().ReturnBuffer = buffer;
  return buffer;
}

std::string AnsiStrings::Converted(const Text& result) {
  return EncodeText(result, NarrowEncoding::Ansi);
}

Text WideStrings::Argument(const llmbridge_wchar* argument) { return FromWide(argument); }

const llmbridge_wchar* WideStrings::Result(const Text& result) {
  const llmbridge_wchar* buffer = ToWide<llmbridge_wchar>(result);
  GetLibraryState().ReturnBuffer = buffer;
  return buffer;
}

std::basic_string<llmbridge_wchar> WideStrings::Converted(const Text& result) {
  return std::basic_string<llmbridge_wchar>(result.begin(), result.end());
}

}  // namespace llmbridge

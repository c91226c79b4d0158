// The command-line host keeps its text in UTF-8 and talks to the library's UTF-16 exports.
#pragma once

#include <string>

#include "llmbridge.h"

namespace llmbridge::chat_cli {

using WideString = std::basic_string<llmbridge_wchar>;

// Invalid UTF-8 becomes U+FFFD; a null result reads as empty.
WideString ToUtf16(const std::string& text);
std::string ToUtf8(const llmbridge_wchar* text);

}  // namespace llmbridge::chat_cli

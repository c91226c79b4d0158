// Where a chat or model-list request goes, from the server address a host passes.
#pragma once

#include <string_view>

#include "text/text.h"

namespace llmbridge {

// An address that begins with "http://" or "https://", in any letter case, is a base URL as
// OpenAI's client libraries take one ("https://api.openai.com/v1"); any other is a host with its
// port ("127.0.0.1:8080").
bool IsBaseUrl(const Text& address);

// The URL of `endpoint` ("/chat/completions", "/models"): a base URL, less one trailing "/",
// followed by it; otherwise "http://" + address + "/v1" + endpoint.
Text EndpointUrl(const Text& address, std::u16string_view endpoint);

}  // namespace llmbridge

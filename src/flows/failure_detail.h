// What the host reads from lasterror after a call failed: why, in words.
#pragma once

#include "flows/server_message.h"
#include "http/http_request.h"
#include "text/text.h"

namespace llmbridge {

// Why `request` did not bring a usable answer: for an answer with an error status, "HTTP " +
// status + ": " + the server's own message; for a transfer that got no answer, libcurl's message
// (certificate problem, host not found, connection refused, time-out). Never holds `api_key`.
// An error answer's body is parsed into `slot` (see ServerMessage).
Text FailureDetail(HttpRequest& request, const Text& api_key, int32_t slot = kErrorAnswerSlot);

// `detail` with every occurrence of `api_key` masked: servers and libcurl may echo what they got.
Text WithoutKey(Text detail, const Text& api_key);

}  // namespace llmbridge

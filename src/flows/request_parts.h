// Pieces the request flows share: prompt preparation, headers, the progress window's lifetime,
// error texts and reading an answer into the JSON slot.
#pragma once

#include <string_view>

#include "http/header_map.h"
#include "http/http_request.h"
#include "json/json_value.h"
#include "state/host_options.h"
#include "text/text.h"

namespace llmbridge {

// Makes a prompt fit between the quotes of a JSON string. Each CR LF pair becomes one space
// first, so a backslash in the prompt can never combine with an escaped line break.
Text PreparePrompt(const Text& prompt);

// The "Authorization: Bearer <key>" header, preceded by "content-type: application/json" for
// requests with a JSON body. The host's header lines `extra` follow; one naming either of those
// two (in any letter case) takes its place.
HeaderMap BearerHeaders(const Text& api_key, bool json_body,
                        const std::vector<OptionHeader>& extra = {});

// What the host's options change in a transfer: its time limit and proxy and, when the request
// carries the host's header lines (`with_headers`), no redirect to another origin.
TransferChoices ChosenTransfer(const HostOptions& options, bool with_headers);

// "Api Error code: " and the status text ("0" when no answer arrived).
Text ApiErrorText(const Text& status);

// Parses an answer's body, its UTF-8 bytes as ResponseBodyBytes gives them, into JSON `slot`;
// the new root, or null when the parse failed (an earlier document in the slot is never handed
// out for a later answer). Throws std::bad_alloc when the parser ran out of memory.
JsonValue* ParseAnswerInto(int32_t slot, std::string_view body);
// The same into slot 0, where the flows keep the last answer they read.
inline JsonValue* ParseAnswer(std::string_view body) { return ParseAnswerInto(0, body); }

// Shows the progress window while it lives, when `show` is exactly "true", and records what it
// made in LibraryState; closes all of the library's windows when it ends, on every path, whether
// or not one was opened.
class ProgressWindowScope {
 public:
  explicit ProgressWindowScope(const Text& show);
  ~ProgressWindowScope();
  ProgressWindowScope(const ProgressWindowScope&) = delete;
  ProgressWindowScope& operator=(const ProgressWindowScope&) = delete;
};

}  // namespace llmbridge
